// The demo skin's data files: a new screen file is a new screen, and a fault
// in the data is reported with its file and line instead of a broken skin.
#include "tools/demo/skin/SkinData.h"

#include "core/Exception.h"
#include "core/Gbk.h"
#include "tools/demo/skin/SkinModel.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A writable copy of the built-in data folder.
class TDataCopy
{
public:
    TDataCopy()
    {
        QDirIterator it(DefaultSkinDataDir(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString to = m_dir.path() + from.mid(DefaultSkinDataDir().size());
            QDir().mkpath(QFileInfo(to).path());
            QFile::copy(from, to);
            QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
        }
    }
    QString Dir() const { return m_dir.path(); }
    void Write(const QString& path, const QString& text) const
    {
        QFile file(m_dir.path() + u'/' + path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }
    void Replace(const QString& path, const QString& from, const QString& to) const
    {
        QFile file(m_dir.path() + u'/' + path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(file.readAll());
        file.close();
        ASSERT_TRUE(text.contains(from)) << path.toStdString() << ": " << from.toStdString();
        Write(path, text.replace(from, to));
    }

private:
    QTemporaryDir m_dir;
};

const TSkinScreen* Form(const TSkinTree& tree, const QString& name)
{
    for (const auto& f : tree.forms)
        if (f->name == name)
            return f.get();
    return nullptr;
}

const TSkinControl* Control(const TSkinScreen& s, const QString& name)
{
    for (const TSkinControl& c : s.controls)
        if (c.name == name)
            return &c;
    return nullptr;
}

TEST(SkinData, ANewScreenFileIsANewFormInBothLanguages)
{
    const TDataCopy data;
    data.Write(
        QStringLiteral("screens/frmtest.xml"),
        QStringLiteral("<screen form=\"1\" title=\"@title\">\n"
                       "  <texts><t id=\"title\" zh=\"测试\" en=\"Test\"/></texts>\n"
                       "  <repeat count=\"3\" step=\"0 50\">\n"
                       "    <round name=\"go{i}\" rect=\"10 100 80 40\" text=\"@ok\" key=\"{row}\" icon=\"up\"/>\n"
                       "  </repeat>\n"
                       "  <include part=\"keyboard\" at=\"500 100\"/>\n"
                       "  <label lang=\"en\" name=\"OnlyEnglish\" rect=\"0 0 10 10\"/>\n"
                       "</screen>\n"));
    for (const bool english : {false, true}) {
        const TSkinTree tree = LoadSkinTree(english, data.Dir());
        const TSkinScreen* form = Form(tree, QStringLiteral("frmtest"));
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->title, english ? QStringLiteral("Test") : QStringLiteral("测试"));
        const TSkinControl* third = Control(*form, QStringLiteral("go2"));
        ASSERT_NE(third, nullptr);
        EXPECT_EQ(third->rect, QRect(10, 200, 80, 40));
        EXPECT_EQ(third->key, QStringLiteral("3"));
        EXPECT_EQ(third->caption, english ? QStringLiteral("OK") : QStringLiteral("确定"));
        // The included keyboard moved to its place, the shared bottom bar labels added.
        ASSERT_NE(Control(*form, QStringLiteral("LetterA")), nullptr);
        EXPECT_EQ(Control(*form, QStringLiteral("LetterA"))->rect.topLeft(), QPoint(500, 100));
        EXPECT_NE(Control(*form, QStringLiteral("PlayingName")), nullptr);
        EXPECT_EQ(Control(*form, QStringLiteral("OnlyEnglish")) != nullptr, english);
        const QString xml = ToWide(SkinXml(tree, 1.0));
        EXPECT_TRUE(xml.contains(QStringLiteral("<frmtest "))) << "the form is written into buttons.xml";
    }
}

TEST(SkinData, FaultsInTheDataNameTheirFileAndLine)
{
    struct TFault
    {
        const char* file;
        const char* from;
        const char* to;
        const char* expected; // part of the message
    };
    const TFault faults[] = {
        {"screens/frmorder.xml", "<label name=\"msg\" rect", "<label nmae=\"msg\" rect", "frmorder.xml:"},
        {"screens/frmorder.xml", "text=\"@first\"", "text=\"@firts\"", "no text \"firts\""},
        {"screens/frmorder.xml", "rect=\"612 112 80 43\"", "rect=\"612 112 80\"", "rect needs 4 whole numbers"},
        {"screens/frmorder.xml", "color=\"gold\"", "color=\"golden\"", "golden"},
        {"screens/frmorder.xml", "<round name=", "<button name=", "<button>"},
        {"screens/frmorder.xml", "</screen>", "</scren>", "frmorder.xml:"},
        {"screens/ordersong.xml", "screen=\"Words\"", "screen=\"Wordz\"", "no screen file screens/Wordz.xml"},
        {"screens/ordersong.xml", "screen=\"Top\"", "", "Top.xml: neither a form"},
        {"screens/Sex.xml", "<grid cols=\"5\">", "<grid cols=\"5\">\n<tile name=\"Loop\" screen=\"Movie\"/>",
         "screen Movie is opened from within itself"},
    };
    for (const TFault& f : faults) {
        const TDataCopy data;
        data.Replace(QString::fromLatin1(f.file), QString::fromUtf8(f.from), QString::fromUtf8(f.to));
        try {
            LoadSkinTree(false, data.Dir());
            ADD_FAILURE() << "no error for " << f.to;
        } catch (const Exception& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(f.expected)))
                << f.to << " gave: " << e.Message().toStdString();
            EXPECT_TRUE(e.Message().contains(QRegularExpression(QStringLiteral("\\.xml(:\\d+)?[:]"))))
                << e.Message().toStdString();
        }
    }
}

} // namespace
