#include "cameramodule.h"

namespace {

// Where the first of the given characters stands at or after start; the text's end if none.
qsizetype firstOf(const QString &text, qsizetype start, QLatin1String stops)
{
    for (qsizetype i = start; i < text.size(); ++i)
        if (stops.contains(text[i]))
            return i;
    return text.size();
}

// The last '@' in [start, end), or -1.
qsizetype lastAt(const QString &text, qsizetype start, qsizetype end)
{
    for (qsizetype i = end - 1; i >= start; --i)
        if (text[i] == QLatin1Char('@'))
            return i;
    return -1;
}

}  // namespace

QString cameraModule::withoutPassword(const QString &address)
{
    const qsizetype schemeEnd = address.indexOf(QLatin1String("://"));
    const qsizetype start = schemeEnd < 0 ? 0 : schemeEnd + 3;
    const qsizetype hostEnd = firstOf(address, start, QLatin1String("/?#"));
    const qsizetype colon = firstOf(address, start, QLatin1String(":"));
    if (colon >= hostEnd)
        return address;
    qsizetype loginEnd = lastAt(address, start, hostEnd);
    // A password with an unencoded '/' in it must stay out of the log too, although no camera
    // would accept it: then the login is taken to end at the last '@' before the query.
    if (loginEnd < 0)
        loginEnd = lastAt(address, start, firstOf(address, start, QLatin1String("?#")));
    if (loginEnd < colon)
        return address;
    return address.left(colon) + address.mid(loginEnd);
}

QString cameraModule::withoutLogin(const QString &address)
{
    const qsizetype schemeEnd = address.indexOf(QLatin1String("://"));
    if (schemeEnd < 0)
        return address;
    const qsizetype start = schemeEnd + 3;
    // Only a login before the path: an '@' further on belongs to the path or the query.
    const qsizetype loginEnd = lastAt(address, start, firstOf(address, start, QLatin1String("/?#")));
    if (loginEnd < 0)
        return address;
    return address.left(start) + address.mid(loginEnd + 1);
}
