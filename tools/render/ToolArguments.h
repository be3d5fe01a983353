#pragma once
// The command line of a map tool, read one argument at a time: options, the values that follow
// them, and the files named without an option.

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace tsivor::render {

class TToolArguments {
public:
    explicit TToolArguments(const QStringList& args) : args_(args) {}

    // Moves to the next argument; false after the last one.
    bool Next() { return ++at_ < args_.size(); }
    const QString& Current() const { return args_[at_]; }
    bool Is(const char* option) const { return Current() == QLatin1String(option); }
    // An option nobody asked for: its message.
    QString UnknownOption() const;

    // The values that follow the current option; each one taken moves past it, and nullopt says
    // it is missing or not of its kind.
    std::optional<QString> Text();
    std::optional<double> Number(); // finite
    std::optional<int> Integer();
    std::optional<QSize> Size(); // WxH, each from 1 to 20000

private:
    const QStringList& args_;
    qsizetype at_ = -1;
};

} // namespace tsivor::render
