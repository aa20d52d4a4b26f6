#include "record/JournalSettings.h"

#include "journal/JournalDatabase.h"
#include "journal/JournalStore.h"
#include "platform/Platform.h"
#include "record/ServiceProtocol.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

namespace zet {

namespace {

QSettings settings() { return QSettings(QStringLiteral("zet-service"), QStringLiteral("zet-service")); }

QLineEdit *field(const char *name, const QString &text = {})
{
    auto *e = new QLineEdit(text);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

} // namespace

QString savedJournalLocation()
{
    return settings().value(QStringLiteral("journal/location")).toString();
}

void saveJournalLocation(const QString &location)
{
    settings().setValue(QStringLiteral("journal/location"), location);
}

JournalSettingsDialog::JournalSettingsDialog(Platform &platform, QWidget *parent)
    : QDialog(parent), platform_(platform), file_(new QRadioButton(QStringLiteral("Файл на этом компьютере"))),
      server_(new QRadioButton(QStringLiteral("Сервер PostgreSQL сервисного центра"))),
      path_(field("JournalPath")), host_(field("JournalHost")), port_(new QSpinBox),
      database_(field("JournalDatabase")), user_(field("JournalUser")),
      centre_(field("ProtocolCentre")), engineer_(field("ProtocolEngineer"))
{
    setObjectName(QStringLiteral("JournalSettings"));
    setWindowTitle(QStringLiteral("Журнал"));
    file_->setObjectName(QStringLiteral("JournalOnFile"));
    server_->setObjectName(QStringLiteral("JournalOnServer"));
    port_->setObjectName(QStringLiteral("JournalPort"));
    port_->setRange(1, 65535);
    port_->setValue(5432);
    path_->setPlaceholderText(journal::defaultStoreLocation());

    const QString saved = savedJournalLocation();
    QString ignored;
    const auto where = saved.isEmpty() ? std::nullopt : JournalLocation::parse(saved, &ignored);
    if (where && where->kind == JournalLocation::Postgres) {
        server_->setChecked(true);
        host_->setText(where->host);
        port_->setValue(where->port);
        database_->setText(where->database);
        user_->setText(where->user);
    } else {
        file_->setChecked(true);
        path_->setText(where ? where->file : QString());
    }
    const ProtocolPeople people = savedProtocolPeople();
    centre_->setText(people.centre);
    engineer_->setText(people.engineer);

    auto *form = new QFormLayout;
    form->addRow(file_);
    form->addRow(QStringLiteral("Файл:"), path_);
    form->addRow(server_);
    form->addRow(QStringLiteral("Сервер:"), host_);
    form->addRow(QStringLiteral("Порт:"), port_);
    form->addRow(QStringLiteral("База данных:"), database_);
    form->addRow(QStringLiteral("Пользователь:"), user_);
    auto *note = new QLabel(QStringLiteral(
        "Пароль программа не хранит: он берётся из файла ~/.pgpass\n"
        "или спрашивается при подключении и помнится до закрытия программы.\n"
        "Новое место журнала действует сразу, если программа запущена без --journal."));
    note->setObjectName(QStringLiteral("JournalSettingsNote"));
    form->addRow(note);
    form->addRow(QStringLiteral("Сервисный центр:"), centre_);
    form->addRow(QStringLiteral("Инженер:"), engineer_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &JournalSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(file_, &QRadioButton::toggled, this, &JournalSettingsDialog::showKind);
    showKind();
}

void JournalSettingsDialog::showKind()
{
    const bool server = server_->isChecked();
    path_->setEnabled(!server);
    for (QWidget *w : {static_cast<QWidget *>(host_), static_cast<QWidget *>(port_),
                       static_cast<QWidget *>(database_), static_cast<QWidget *>(user_)})
        w->setEnabled(server);
}

QString JournalSettingsDialog::location(QString *error) const
{
    error->clear();
    if (file_->isChecked())
        return path_->text().trimmed();
    const QString host = host_->text().trimmed();
    const QString database = database_->text().trimmed();
    const QString user = user_->text().trimmed();
    if (host.isEmpty() || database.isEmpty() || user.isEmpty()) {
        *error = QStringLiteral("Для сервера укажите сервер, базу данных и пользователя.");
        return {};
    }
    const QString url = QStringLiteral("postgresql://%1@%2:%3/%4")
                            .arg(user, host, QString::number(port_->value()), database);
    if (!JournalLocation::parse(url, error))
        return {};
    return url;
}

void JournalSettingsDialog::accept()
{
    QString error;
    const QString where = location(&error);
    if (!error.isEmpty()) {
        platform_.message(MessageKind::Error, error);
        return;
    }
    saveJournalLocation(where);
    saveProtocolPeople({centre_->text().trimmed(), engineer_->text().trimmed()});
    QDialog::accept();
}

} // namespace zet
