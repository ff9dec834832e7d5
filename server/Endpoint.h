#pragma once

#include <QHostAddress>
#include <QString>

namespace dovra {

struct Endpoint {
    QHostAddress host;
    quint16 port = 0;
};

// "HOST:PORT" with a numeric address ("127.0.0.1:15024", "[::1]:15024"); port 0 lets the system choose.
bool ParseEndpoint(const QString& text, Endpoint& endpoint, QString& error);
QString FormatEndpoint(const QHostAddress& host, quint16 port);

} // namespace dovra
