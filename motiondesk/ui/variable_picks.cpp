#include "motiondesk/ui/variable_picks.h"

#include <QStringList>

#include <algorithm>

namespace ui {

std::vector<int> variablePicks(const QString& text) {
    std::vector<int> picks;
    QString digits = text;
    for (QChar& c : digits)
        if (!c.isDigit()) c = ' ';
    for (const QString& word : digits.split(' ', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int number = word.toInt(&ok);
        if (ok && number >= 1 && number <= 100 &&
            std::find(picks.begin(), picks.end(), number) == picks.end() &&
            picks.size() < kMostPlottedVariables)
            picks.push_back(number);
    }
    return picks;
}

QString picksText(const std::vector<int>& picks) {
    QStringList words;
    for (int number : picks)
        words << QString::number(number);
    return words.join(", ");
}

} // namespace ui
