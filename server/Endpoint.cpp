#include "server/Endpoint.h"

namespace dovra {

bool ParseEndpoint(const QString& text, Endpoint& endpoint, QString& error) {
    qsizetype colon = text.lastIndexOf(':');
    if (colon <= 0) {
        error = "\"" + text + "\" is not HOST:PORT";
        return false;
    }
    QString host = text.left(colon);
    if (host.startsWith('[') && host.endsWith(']')) {
        host = host.mid(1, host.size() - 2);
    }
    bool numeric = false;
    uint port = text.mid(colon + 1).toUInt(&numeric);
    if (!numeric || port > 65535) {
        error = "\"" + text + "\" has no port number from 0 to 65535";
        return false;
    }
    if (host == "localhost") {
        host = "127.0.0.1";
    }
    if (!endpoint.host.setAddress(host)) {
        error = "\"" + host + "\" is not a numeric address";
        return false;
    }
    endpoint.port = static_cast<quint16>(port);
    return true;
}

QString FormatEndpoint(const QHostAddress& host, quint16 port) {
    QString address = host.toString();
    if (host.protocol() == QAbstractSocket::IPv6Protocol) {
        address = "[" + address + "]";
    }
    return address + ":" + QString::number(port);
}

} // namespace dovra
