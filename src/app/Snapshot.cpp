#include "app/Snapshot.h"

#include "app/MainForm.h"
#include "app/Navigator.h"
#include "app/StartUp.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace tsivor::app {

namespace {
constexpr int PollMs = 20;
}

TCommandLine ParseCommandLine(const QStringList& args) {
    TCommandLine line;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--snapshot")) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
                line.Error = QStringLiteral("После --snapshot нужно имя файла PNG");
                return line;
            }
            line.Snapshot = true;
            line.SnapshotFile = args[++i];
        } else if (args[i] == QLatin1String("--data")) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
                line.Error = QStringLiteral("После --data нужна папка с данными");
                return line;
            }
            const QFileInfo dir(args[++i]);
            if (!dir.isDir()) {
                line.Error = QStringLiteral("Папка с данными не найдена: ") + args[i];
                return line;
            }
            line.DataDir = dir.absoluteFilePath();
        } else if (args[i] == QLatin1String("--timing")) {
            line.Timing = true;
        } else {
            line.Error =
                QStringLiteral("Неизвестный параметр: ") + args[i] +
                QStringLiteral(
                    "\nИспользование: tsivor [--data ПАПКА] [--snapshot ФАЙЛ.png] [--timing]");
            return line;
        }
    }
    return line;
}

void PrepareSnapshotEnvironment(const TCommandLine& line) {
    if (line.Snapshot && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void TSnapshotPlatform::ShowMessage(const QString& text, platform::MessageKind, QWidget*) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

platform::Answer TSnapshotPlatform::AskYesNo(const QString& text, QWidget*) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
    return platform::Answer::No;
}

bool TSnapshotPlatform::InputText(const QString&, const QString&, QString&, QWidget*) {
    return false;
}

TSnapshot::TSnapshot(QString file, TFMainForm& form, TFStartUp* startPage)
    : FFile(std::move(file)), FForm(form), FStartPage(startPage) {}

void TSnapshot::Start() {
    // The offscreen platform cannot maximise: a fixed size gives the same picture every time.
    FForm.setWindowState(Qt::WindowNoState);
    FForm.setMinimumSize(0, 0);
    FForm.resize(SnapshotWidth, SnapshotHeight);
    QTimer::singleShot(PollMs, this, [this] { Poll(); });
}

void TSnapshot::Poll() {
    if (FDone) return;
    FElapsed += PollMs;
    if (FElapsed > TimeoutMs) {
        Finish(3, QStringLiteral("Главное окно не готово за %1 с").arg(TimeoutMs / 1000));
        return;
    }
    if (!FForm.Ready()) {
        QTimer::singleShot(PollMs, this, [this] { Poll(); });
        return;
    }
    if (FStartPage && !FStartPage->Closed()) FStartPage->bNext->click();
    QCoreApplication::processEvents();
    const QPixmap shot = FForm.grab();
    QImageWriter writer(FFile, "png");
    if (shot.isNull() || !writer.write(shot.toImage())) {
        Finish(4, QStringLiteral("Не удалось записать снимок в файл ") + FFile + u' ' +
                      writer.errorString());
        return;
    }
    Finish(0);
}

void TSnapshot::Finish(int code, const QString& error) {
    FDone = true;
    if (!error.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(error));
    if (Finished) Finished(code);
}

} // namespace tsivor::app
