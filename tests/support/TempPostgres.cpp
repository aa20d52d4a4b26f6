#include "TempPostgres.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zet::test {

namespace {

int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

} // namespace

QString TempPostgres::binDir()
{
    const QString env = qEnvironmentVariable("ZET_PG_BIN");
    return env.isEmpty() ? QStringLiteral("/usr/lib/postgresql/15/bin") : env;
}

bool TempPostgres::installed()
{
    for (const char *p : {"initdb", "pg_ctl", "createdb"})
        if (!QFileInfo(binDir() + QLatin1Char('/') + QLatin1String(p)).isExecutable())
            return false;
    return true;
}

TempPostgres::~TempPostgres()
{
    stop();
}

bool TempPostgres::run(const QString &program, const QStringList &args, bool asServerUser,
                       QString *error)
{
    QString exe = binDir() + QLatin1Char('/') + program;
    QStringList argv = args;
    if (asServerUser && ::geteuid() == 0) {
        argv = QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"),
                           exe} +
               args;
        exe = QStandardPaths::findExecutable(QStringLiteral("runuser"),
                                             {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                              QStringLiteral("/usr/bin")});
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), QString::fromLatin1(kPassword));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(dir_.path());
    p.start(exe, argv);
    const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit &&
                    p.exitCode() == 0;
    if (!ok && error) {
        QFile log(dir_.filePath(QStringLiteral("server.log")));
        *error = program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(p.readAll()) +
                 (log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll())
                                                : QString());
    }
    return ok;
}

bool TempPostgres::start(QString *error)
{
    if (running_)
        return true;
    if (!dir_.isValid()) {
        if (error)
            *error = QStringLiteral("no scratch folder");
        return false;
    }
    if (!made_) {
        if (::geteuid() == 0) {
            const passwd *pw = ::getpwnam("nobody");
            if (!pw || ::chown(QFile::encodeName(dir_.path()).constData(), pw->pw_uid,
                               pw->pw_gid) != 0) {
                if (error)
                    *error = QStringLiteral("cannot give the scratch folder to nobody");
                return false;
            }
        }
        QFile pw(dir_.filePath(QStringLiteral("pw")));
        if (!pw.open(QIODevice::WriteOnly) || pw.write(kPassword) < 0)
            return false;
        pw.close();
        pw.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        if (!run(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")), QStringLiteral("-U"),
                  QString::fromLatin1(kUser), QStringLiteral("--pwfile=") + pw.fileName(),
                  QStringLiteral("--auth-local=trust"), QStringLiteral("--auth-host=scram-sha-256"),
                  QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--no-locale"),
                  QStringLiteral("-N")},
                 true, error))
            return false;
        made_ = true;
        port_ = freePort();
    }
    running_ = run(QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")), QStringLiteral("-l"),
                    dir_.filePath(QStringLiteral("server.log")), QStringLiteral("-w"),
                    QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("-o"),
                    QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1")
                        .arg(port_)
                        .arg(dir_.path()),
                    QStringLiteral("start")},
                   true, error);
    return running_;
}

bool TempPostgres::stop(QString *error)
{
    if (!running_)
        return true;
    running_ = !run(QStringLiteral("pg_ctl"),
                    {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")),
                     QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"),
                     QStringLiteral("stop")},
                    true, error);
    return !running_;
}

bool TempPostgres::createDatabase(const QString &name, QString *error)
{
    return run(QStringLiteral("createdb"),
               {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                QString::number(port_), QStringLiteral("-U"), QString::fromLatin1(kUser), name},
               false, error);
}

QString TempPostgres::url(const QString &database) const
{
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3")
        .arg(QString::fromLatin1(kUser))
        .arg(port_)
        .arg(database);
}

} // namespace zet::test
