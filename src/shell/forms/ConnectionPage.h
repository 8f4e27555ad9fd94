#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace kulvera {

class Prompter;
class SettingsEditor;
struct ServerSettings;

// The settings form's page of the bases' engine: SQLite files on this computer, or a
// PostgreSQL server (address, port, database, user, password file). Its fields are
// edits of the settings editor like any row of the list, written by "Применить";
// "Проверить соединение" connects once with what the fields say and reports the
// server's version or its error.
class ConnectionPage : public QWidget
{
    Q_OBJECT
public:
    ConnectionPage(SettingsEditor &editor, Prompter &prompter, QWidget *parent = nullptr);

    ServerSettings server() const;
    // Shows the editor's values again (after "Применить" or a default restored in the list).
    void refresh();
    bool testConnection();

signals:
    void edited();

private:
    int rowOf(const QString &key) const;
    void fieldEdited(const QString &key, const QString &value);
    void updateEnabled();

    SettingsEditor &editor_;
    Prompter &prompter_;
    QComboBox *engine_ = nullptr;
    QLineEdit *host_ = nullptr;
    QSpinBox *port_ = nullptr;
    QLineEdit *database_ = nullptr;
    QLineEdit *user_ = nullptr;
    QLineEdit *passwordFile_ = nullptr;
    QLabel *result_ = nullptr;
    bool refreshing_ = false;
};

} // namespace kulvera
