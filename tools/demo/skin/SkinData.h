#pragma once
// Reads the demo skin's screens from its data files (the folder
// tools/demo/skin/data, built into the program as the resource folder
// ":/demo-skin"; its README.md describes the format):
//   texts.xml          texts shared by every screen, in both languages
//   public.xml         the public bar buttons and the logo movie
//   screens/<name>.xml one screen each; portal.xml is the root, a screen with
//                      form="1" is a form, the others are opened by a button
//   parts/<name>.xml   pieces of screens that several screens include
#include "tools/demo/skin/SkinModel.h"

#include <QString>

// The built-in data folder.
QString DefaultSkinDataDir();

// Builds the skin tree of a language from the data files in dataDir. Throws
// Exception naming the file and line of a fault in the data.
TSkinTree LoadSkinTree(bool english, const QString& dataDir = DefaultSkinDataDir());
