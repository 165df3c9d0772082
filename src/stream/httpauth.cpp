#include "httpauth.h"

#include <QCryptographicHash>

namespace {

// Reads `name=value` or `name="quoted value"` at pos; false at a token without "=" (the scheme
// of a further challenge), pos then unchanged.
bool readParameter(const QByteArray &text, int &pos, QByteArray &name, QByteArray &value)
{
    int end = pos;
    while (end < text.size() && text.at(end) != ' ' && text.at(end) != ',' && text.at(end) != '=')
        ++end;
    int equals = end;
    while (equals < text.size() && text.at(equals) == ' ')
        ++equals;
    if (end == pos || equals >= text.size() || text.at(equals) != '=')
        return false;
    name = text.mid(pos, end - pos).toLower();
    pos = equals + 1;
    while (pos < text.size() && text.at(pos) == ' ')
        ++pos;
    value.clear();
    if (pos < text.size() && text.at(pos) == '"') {
        for (++pos; pos < text.size() && text.at(pos) != '"'; ++pos) {
            if (text.at(pos) == '\\' && pos + 1 < text.size())
                ++pos;
            value += text.at(pos);
        }
        ++pos;
    } else {
        const int comma = text.indexOf(',', pos);
        value = text.mid(pos, comma < 0 ? -1 : comma - pos).trimmed();
        pos = comma < 0 ? int(text.size()) : comma;
    }
    return true;
}

void skipSeparators(const QByteArray &text, int &pos)
{
    while (pos < text.size() && (text.at(pos) == ',' || text.at(pos) == ' ' || text.at(pos) == '\t'))
        ++pos;
}

QByteArray md5Hex(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex();
}

QByteArray quoted(const QByteArray &value)
{
    QByteArray escaped = value;
    escaped.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + escaped + '"';
}

} // namespace

QList<httpAuth::challenge> httpAuth::parse(const QList<QByteArray> &headerValues)
{
    QList<challenge> challenges;
    for (const QByteArray &header : headerValues) {
        int pos = 0;
        while (true) {
            skipSeparators(header, pos);
            if (pos >= header.size())
                break;
            int end = pos;
            while (end < header.size() && header.at(end) != ' ' && header.at(end) != ',')
                ++end;
            challenge next;
            next.scheme = header.mid(pos, end - pos).toLower();
            pos = end;
            QByteArray name;
            QByteArray value;
            for (skipSeparators(header, pos); pos < header.size(); skipSeparators(header, pos)) {
                if (!readParameter(header, pos, name, value))
                    break;
                next.parameters.insert(name, value);
            }
            challenges.append(next);
        }
    }
    return challenges;
}

namespace {

// A digest of another algorithm (SHA-256, say) answered with MD5 would only be refused.
bool answerable(const httpAuth::challenge &candidate)
{
    if (candidate.scheme != "digest")
        return true;
    const QByteArray algorithm = candidate.parameters.value("algorithm").toLower();
    return algorithm.isEmpty() || algorithm == "md5" || algorithm == "md5-sess";
}

} // namespace

httpAuth::challenge httpAuth::choose(const QList<challenge> &offered)
{
    for (const char *scheme : {"digest", "basic"}) {
        for (const challenge &candidate : offered) {
            if (candidate.scheme == scheme && answerable(candidate))
                return candidate;
        }
    }
    return {};
}

QByteArray httpAuth::authorization(const challenge &offered, const QString &user, const QString &password,
                                   const QByteArray &method, const QByteArray &uri, const QByteArray &cnonce)
{
    const bool utf8 = offered.parameters.value("charset").toLower() == "utf-8";
    const QByteArray name = utf8 ? user.toUtf8() : user.toLatin1();
    const QByteArray secret = utf8 ? password.toUtf8() : password.toLatin1();
    if (offered.scheme == "basic")
        return "Basic " + (name + ':' + secret).toBase64();
    if (offered.scheme != "digest")
        return {};

    const QByteArray realm = offered.parameters.value("realm");
    const QByteArray nonce = offered.parameters.value("nonce");
    const QByteArray algorithm = offered.parameters.value("algorithm");
    const bool session = algorithm.toLower() == "md5-sess";
    bool qopAuth = false;
    for (const QByteArray &qop : offered.parameters.value("qop").split(','))
        qopAuth = qopAuth || qop.trimmed().toLower() == "auth";
    const QByteArray nonceCount = "00000001";
    QByteArray ha1 = md5Hex(name + ':' + realm + ':' + secret);
    if (session)
        ha1 = md5Hex(ha1 + ':' + nonce + ':' + cnonce);
    const QByteArray ha2 = md5Hex(method + ':' + uri);
    const QByteArray response = qopAuth ? md5Hex(ha1 + ':' + nonce + ':' + nonceCount + ':' + cnonce + ":auth:" + ha2)
                                        : md5Hex(ha1 + ':' + nonce + ':' + ha2);
    QByteArray header = "Digest username=" + quoted(name) + ", realm=" + quoted(realm) + ", nonce=" + quoted(nonce)
        + ", uri=" + quoted(uri) + ", response=" + quoted(response);
    if (!algorithm.isEmpty())
        header += ", algorithm=" + algorithm;
    if (offered.parameters.contains("opaque"))
        header += ", opaque=" + quoted(offered.parameters.value("opaque"));
    if (qopAuth)
        header += ", qop=auth, nc=" + nonceCount + ", cnonce=" + quoted(cnonce);
    return header;
}
