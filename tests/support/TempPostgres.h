#pragma once
// A PostgreSQL server of its own for a test or the benchmark, from Debian's server
// packages: a cluster made with initdb in a scratch folder, started on a free local
// port (and a socket in that folder), stopped and removed at the end. The server
// refuses to run as root, so as root it runs as `nobody`. Connections over TCP need
// the password below.

#include <QString>
#include <QTemporaryDir>

namespace zet::test {

class TempPostgres {
public:
    static constexpr const char *kUser = "zet";
    static constexpr const char *kPassword = "zet-test-secret";

    // ZET_PG_BIN, else /usr/lib/postgresql/15/bin.
    static QString binDir();
    static bool installed();

    TempPostgres() = default;
    ~TempPostgres();
    TempPostgres(const TempPostgres &) = delete;
    TempPostgres &operator=(const TempPostgres &) = delete;

    // The first start makes the cluster. false with the reason and the server's log.
    bool start(QString *error);
    bool stop(QString *error = nullptr);
    bool createDatabase(const QString &name, QString *error);
    QString url(const QString &database) const;
    int port() const { return port_; }

private:
    bool run(const QString &program, const QStringList &args, bool asServerUser,
             QString *error);

    QTemporaryDir dir_;
    int port_ = 0;
    bool made_ = false;
    bool running_ = false;
};

} // namespace zet::test

// In a test body: skips the test where the server's binaries are missing, with a
// message; fails it instead where ZET_REQUIRE_POSTGRES=1 (CI).
#define NEED_POSTGRES()                                                                       \
    if (!::zet::test::TempPostgres::installed()) {                                            \
        if (qEnvironmentVariable("ZET_REQUIRE_POSTGRES") == "1")                              \
            FAIL() << "no PostgreSQL server in "                                              \
                   << qPrintable(::zet::test::TempPostgres::binDir());                        \
        GTEST_SKIP() << "no PostgreSQL server in "                                            \
                     << qPrintable(::zet::test::TempPostgres::binDir())                       \
                     << " (package postgresql)";                                              \
    }
