#include "ToolArguments.h"

#include <cmath>

namespace tsivor::render {

QString TToolArguments::UnknownOption() const {
    return QStringLiteral("Неизвестный параметр: %1").arg(Current());
}

std::optional<QString> TToolArguments::Text() {
    if (at_ + 1 >= args_.size()) return std::nullopt;
    return args_[++at_];
}

std::optional<double> TToolArguments::Number() {
    const auto text = Text();
    bool ok = false;
    const double v = text ? text->toDouble(&ok) : 0;
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<int> TToolArguments::Integer() {
    const auto text = Text();
    bool ok = false;
    const int v = text ? text->toInt(&ok) : 0;
    if (!ok) return std::nullopt;
    return v;
}

std::optional<QSize> TToolArguments::Size() {
    const auto text = Text();
    const QStringList parts = text ? text->split(QLatin1Char('x')) : QStringList();
    bool okW = false, okH = false;
    const int w = parts.size() == 2 ? parts[0].toInt(&okW) : 0;
    const int h = parts.size() == 2 ? parts[1].toInt(&okH) : 0;
    if (!okW || !okH || w < 1 || h < 1 || w > 20000 || h > 20000) return std::nullopt;
    return QSize(w, h);
}

} // namespace tsivor::render
