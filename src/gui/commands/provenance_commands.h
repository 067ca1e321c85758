// What made each result, in the editor: Copy as Command (Edit menu and each waveform window's
// menu), Export Chain..., and Back To The Source / Forward To The Result walking the recorded
// chain between results.
#pragma once

#include "commands/session.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sonarium {

class WindowCommands;

class ProvenanceCommands final : public QObject {
    Q_OBJECT

public:
    ProvenanceCommands(Session& session, WindowCommands& windows);

    // The shell-quoted command that made the active window's file; empty without a record.
    QString activeCommand() const;
    // The file Back To The Source goes to: the Source's recorded input. Forward To The Result's:
    // the result Back came from, else the latest recorded result made from the Source.
    std::optional<std::string> backTarget() const;
    std::optional<std::string> forwardTarget() const;

    void copyAsCommand();
    void exportChain();
    void backToTheSource();
    void forwardToTheResult();

    // Asks where the chain's script goes ("" when the user cancels); tests answer themselves.
    std::function<QString(const QString& title, const QString& suggested)> chooseScriptName;

private:
    std::vector<std::string> folders() const;
    std::optional<std::string> sourcePath() const;
    // Makes the file the Source and brings its window forward, opening one when none shows it.
    void showFile(const std::string& path);

    Session& session_;
    WindowCommands& windows_;
    // The results Back To The Source left, the latest last.
    std::vector<std::string> forward_;
};

} // namespace sonarium
