// HTTP(S) front of the emulator: turns each request into an Emu::Request, lets the service answer
// and writes the reply (with its Date header, delay or cut connection) to the socket.
#ifndef EMUHTTPSERVER_H
#define EMUHTTPSERVER_H

#include <QAbstractHttpServer>

namespace Emu {

class Service;
struct Reply;

class HttpServer : public QAbstractHttpServer
{
public:
    HttpServer(Service &service, bool tls, QObject *parent = nullptr);

    static QByteArray dateHeader();
    static QByteArray serialize(const Reply &reply);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    Service &m_service;
    bool m_tls;
};

} // namespace Emu

#endif
