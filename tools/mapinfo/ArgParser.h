#pragma once
// A small command-line parser: options are declared with the variable they fill, so a new
// option is one more declaration.

#include <QString>
#include <QStringList>

#include <vector>

namespace tsivor::mapinfo {

class TArgParser {
public:
    explicit TArgParser(QString usageLine) : usage_(std::move(usageLine)) {}

    void Flag(const QString& name, bool* target, const QString& help);
    void Value(const QString& name, const QString& valueName, QString* target, const QString& help);
    // An option followed by count values ("--at X Y"); present tells whether it was given.
    void Values(const QString& name, const QString& valueNames, int count, QStringList* target,
                bool* present, const QString& help);
    // The positional arguments, in order; a missing required one is an error.
    void Positional(const QString& name, QString* target, bool required = true);

    // false with a one-line message in error on an unknown option or a missing value.
    bool Parse(const QStringList& args, QString* error);
    QString Usage() const;

private:
    struct Option {
        QString name, valueName, help;
        bool* flag = nullptr;
        QString* value = nullptr;
        QStringList* values = nullptr;
        int count = 1;
    };
    struct Slot {
        QString name;
        QString* target;
        bool required;
    };
    QString usage_;
    std::vector<Option> options_;
    std::vector<Slot> positional_;
};

} // namespace tsivor::mapinfo
