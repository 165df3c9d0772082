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

bool isSha256(const QByteArray &algorithm)
{
    return algorithm == "sha-256" || algorithm == "sha-256-sess";
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

// Lower is better; -1: cannot be answered. A digest of an algorithm answered as another would
// only be refused, and one that allows only "auth-int" would need the body it protects.
int preference(const httpAuth::challenge &candidate)
{
    if (candidate.scheme == "basic")
        return 2;
    if (candidate.scheme != "digest")
        return -1;
    if (candidate.parameters.contains("qop")) {
        bool auth = false;
        for (const QByteArray &qop : candidate.parameters.value("qop").split(','))
            auth = auth || qop.trimmed().toLower() == "auth";
        if (!auth)
            return -1;
    }
    const QByteArray algorithm = candidate.parameters.value("algorithm").toLower();
    if (isSha256(algorithm))
        return 0;
    return algorithm.isEmpty() || algorithm == "md5" || algorithm == "md5-sess" ? 1 : -1;
}

} // namespace

httpAuth::challenge httpAuth::choose(const QList<challenge> &offered)
{
    challenge best;
    int bestPreference = -1;
    for (const challenge &candidate : offered) {
        const int rank = preference(candidate);
        if (rank >= 0 && (bestPreference < 0 || rank < bestPreference)) {
            best = candidate;
            bestPreference = rank;
        }
    }
    return best;
}

QByteArray httpAuth::authorization(const challenge &offered, const QString &user, const QString &password,
                                   const QByteArray &method, const QByteArray &uri, const QByteArray &cnonce)
{
    // UTF-8 whether or not the server says charset=UTF-8: what every current client sends.
    const QByteArray name = user.toUtf8();
    const QByteArray secret = password.toUtf8();
    if (offered.scheme == "basic")
        return "Basic " + (name + ':' + secret).toBase64();
    if (offered.scheme != "digest" || preference(offered) < 0)
        return {};

    const QByteArray realm = offered.parameters.value("realm");
    const QByteArray nonce = offered.parameters.value("nonce");
    const QByteArray algorithm = offered.parameters.value("algorithm");
    const QByteArray lowerAlgorithm = algorithm.toLower();
    const bool session = lowerAlgorithm.endsWith("-sess");
    const auto hex = [&lowerAlgorithm](const QByteArray &data) {
        return QCryptographicHash::hash(data, isSha256(lowerAlgorithm) ? QCryptographicHash::Sha256
                                                                       : QCryptographicHash::Md5)
            .toHex();
    };
    const bool qopAuth = offered.parameters.contains("qop");
    const QByteArray nonceCount = "00000001";
    QByteArray ha1 = hex(name + ':' + realm + ':' + secret);
    if (session)
        ha1 = hex(ha1 + ':' + nonce + ':' + cnonce);
    const QByteArray ha2 = hex(method + ':' + uri);
    const QByteArray response = qopAuth ? hex(ha1 + ':' + nonce + ':' + nonceCount + ':' + cnonce + ":auth:" + ha2)
                                        : hex(ha1 + ':' + nonce + ':' + ha2);
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
