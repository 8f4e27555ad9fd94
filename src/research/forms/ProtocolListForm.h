#pragma once

#include "research/ProtocolStore.h"
#include "shell/AppContext.h"

#include <QStringList>
#include <QWidget>

#include <vector>

class QTableWidget;

namespace kulvera {

// The protocols kept in the protocols base, newest first: a new protocol,
// opening one (signals the form's owner), deleting with a question, and
// printing the selected ones, each into a workbook of its own.
class ProtocolListForm : public QWidget
{
    Q_OBJECT
public:
    explicit ProtocolListForm(AppContext &context, QWidget *parent = nullptr);

    void refresh();
    const std::vector<ProtocolSummary> &protocols() const { return lines_; }
    void selectProtocol(int id);
    int currentProtocolId() const;
    bool deleteCurrent();
    // Prints every selected protocol into `folder`; returns the files written.
    QStringList printSelected(const QString &folder);

signals:
    void newRequested();
    void openRequested(int protocolId);

private:
    AppContext &context_;
    std::vector<ProtocolSummary> lines_;
    QTableWidget *table_ = nullptr;
};

} // namespace kulvera
