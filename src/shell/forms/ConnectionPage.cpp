#include "shell/forms/ConnectionPage.h"

#include "common/Prompter.h"
#include "shell/ServerBases.h"
#include "shell/SettingsEditor.h"
#include "shell/forms/FormButtons.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace kulvera {
namespace {

const QString kSqlite = QStringLiteral("SQLite");
const QString kPostgres = QStringLiteral("PostgreSQL");

} // namespace

ConnectionPage::ConnectionPage(SettingsEditor &editor, Prompter &prompter, QWidget *parent)
    : QWidget(parent)
    , editor_(editor)
    , prompter_(prompter)
{
    setObjectName(QStringLiteral("connectionPage"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    engine_ = new QComboBox(this);
    engine_->setObjectName(QStringLiteral("engine"));
    engine_->addItem(QStringLiteral("SQLite: файлы баз на этом компьютере"), kSqlite);
    engine_->addItem(QStringLiteral("PostgreSQL: сервер для нескольких рабочих мест"), kPostgres);
    form->addRow(QStringLiteral("Хранение баз:"), engine_);
    const auto line = [this, form](const QString &name, const QString &caption) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(name);
        form->addRow(caption, edit);
        return edit;
    };
    host_ = line(QStringLiteral("pgHost"), QStringLiteral("Сервер (адрес или папка сокета):"));
    port_ = new QSpinBox(this);
    port_->setObjectName(QStringLiteral("pgPort"));
    port_->setRange(1, 65535);
    form->addRow(QStringLiteral("Порт:"), port_);
    database_ = line(QStringLiteral("pgDatabase"), QStringLiteral("База данных:"));
    user_ = line(QStringLiteral("pgUser"), QStringLiteral("Пользователь:"));
    passwordFile_ = line(QStringLiteral("pgPassFile"), QStringLiteral("Файл пароля:"));
    passwordFile_->setToolTip(QStringLiteral(
        "Строки вида сервер:порт:база:пользователь:пароль; читать файл может только его владелец (chmod 600)"));
    layout->addLayout(form);
    auto *buttons = new QHBoxLayout;
    QPushButton *test
        = addButton(this, buttons, QStringLiteral("testConnection"), QStringLiteral("Проверить соединение"));
    buttons->addStretch(1);
    layout->addLayout(buttons);
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("connectionResult"));
    result_->setWordWrap(true);
    layout->addWidget(result_);
    layout->addStretch(1);
    refresh();

    connect(engine_, &QComboBox::currentIndexChanged, this, [this] {
        fieldEdited(QStringLiteral("DbEngine"), engine_->currentData().toString());
        updateEnabled();
    });
    connect(
        host_, &QLineEdit::textEdited, this, [this](const QString &v) { fieldEdited(QStringLiteral("PgHost"), v); });
    connect(port_, &QSpinBox::valueChanged, this,
        [this](int v) { fieldEdited(QStringLiteral("PgPort"), QString::number(v)); });
    connect(database_, &QLineEdit::textEdited, this,
        [this](const QString &v) { fieldEdited(QStringLiteral("PgDatabase"), v); });
    connect(
        user_, &QLineEdit::textEdited, this, [this](const QString &v) { fieldEdited(QStringLiteral("PgUser"), v); });
    connect(passwordFile_, &QLineEdit::textEdited, this,
        [this](const QString &v) { fieldEdited(QStringLiteral("PgPassFile"), v); });
    connect(test, &QPushButton::clicked, this, &ConnectionPage::testConnection);
}

int ConnectionPage::rowOf(const QString &key) const
{
    const auto &rows = editor_.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].section == Section::Data && rows[i].key == key)
            return static_cast<int>(i);
    }
    return -1;
}

void ConnectionPage::fieldEdited(const QString &key, const QString &value)
{
    if (refreshing_)
        return;
    if (const int row = rowOf(key); row >= 0)
        editor_.setValue(row, value);
    emit edited();
}

void ConnectionPage::refresh()
{
    refreshing_ = true;
    const auto value = [this](const QString &key) {
        const int row = rowOf(key);
        return row >= 0 ? editor_.value(row) : QString();
    };
    engine_->setCurrentIndex(value(QStringLiteral("DbEngine")).compare(kPostgres, Qt::CaseInsensitive) == 0 ? 1 : 0);
    host_->setText(value(QStringLiteral("PgHost")));
    port_->setValue(value(QStringLiteral("PgPort")).toInt());
    database_->setText(value(QStringLiteral("PgDatabase")));
    user_->setText(value(QStringLiteral("PgUser")));
    passwordFile_->setText(value(QStringLiteral("PgPassFile")));
    updateEnabled();
    refreshing_ = false;
}

void ConnectionPage::updateEnabled()
{
    const bool server = engine_->currentIndex() == 1;
    for (QWidget *w : std::initializer_list<QWidget *> {host_, port_, database_, user_, passwordFile_})
        w->setEnabled(server);
}

ServerSettings ConnectionPage::server() const
{
    ServerSettings s;
    s.host = host_->text().trimmed();
    s.port = port_->value();
    s.database = database_->text().trimmed();
    s.user = user_->text().trimmed();
    s.passwordFile = passwordFile_->text().trimmed();
    return s;
}

bool ConnectionPage::testConnection()
{
    const Result<QString> version = testServerConnection(server());
    if (version) {
        const QString text = QStringLiteral("Соединение установлено. Сервер PostgreSQL ") + version.value();
        result_->setText(text);
        prompter_.message(text);
        return true;
    }
    const QString text = QStringLiteral("Не удалось подключиться к серверу:\n") + version.error();
    result_->setText(text);
    prompter_.error(text);
    return false;
}

} // namespace kulvera
