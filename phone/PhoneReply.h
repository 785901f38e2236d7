#pragma once
// A reply to a phone: an HTTP status and the JSON body.
#include <QJsonObject>

struct TPhoneReply
{
    int status = 200;
    QJsonObject body;
};
