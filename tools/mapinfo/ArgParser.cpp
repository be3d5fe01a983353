#include "ArgParser.h"

#include <algorithm>

namespace tsivor::mapinfo {

void TArgParser::Flag(const QString& name, bool* target, const QString& help) {
    options_.push_back(Option{name, {}, help, target, nullptr, nullptr, 0});
}

void TArgParser::Value(const QString& name, const QString& valueName, QString* target,
                       const QString& help) {
    options_.push_back(Option{name, valueName, help, nullptr, target, nullptr, 1});
}

void TArgParser::Values(const QString& name, const QString& valueNames, int count,
                        QStringList* target, bool* present, const QString& help) {
    options_.push_back(Option{name, valueNames, help, present, nullptr, target, count});
}

void TArgParser::Positional(const QString& name, QString* target, bool required) {
    positional_.push_back(Slot{name, target, required});
}

bool TArgParser::Parse(const QStringList& args, QString* error) {
    size_t nextSlot = 0;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a.startsWith(QLatin1String("--"))) {
            auto it = std::find_if(options_.begin(), options_.end(),
                                   [&](const Option& o) { return o.name == a; });
            if (it == options_.end()) {
                *error = QStringLiteral("неизвестный параметр %1").arg(a);
                return false;
            }
            if (it->flag) *it->flag = true;
            if (!it->value && !it->values) continue;
            if (i + it->count >= args.size()) {
                *error = QStringLiteral("после %1 нужно значение %2").arg(a, it->valueName);
                return false;
            }
            if (it->values) {
                *it->values = args.mid(i + 1, it->count);
                i += it->count;
                continue;
            }
            *it->value = args[++i];
            continue;
        }
        if (nextSlot >= positional_.size()) {
            *error = QStringLiteral("лишний аргумент %1").arg(a);
            return false;
        }
        *positional_[nextSlot++].target = a;
    }
    for (size_t k = nextSlot; k < positional_.size(); ++k) {
        if (positional_[k].required) {
            *error = QStringLiteral("не указан %1").arg(positional_[k].name);
            return false;
        }
    }
    return true;
}

QString TArgParser::Usage() const {
    QString s = usage_ + QLatin1Char('\n');
    for (const Option& o : options_) {
        QString left = o.name;
        if (!o.valueName.isEmpty()) left += QLatin1Char(' ') + o.valueName;
        s += QStringLiteral("  %1  %2\n").arg(left, -20).arg(o.help);
    }
    return s;
}

} // namespace tsivor::mapinfo
