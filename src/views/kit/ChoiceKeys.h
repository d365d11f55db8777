#pragma once

#include <QtGlobal>

#include <optional>

namespace moravel {

// Where a row of choices moves for a key: Left and Right to the neighbour,
// Home and End to the first and last. Nothing for another key (the caller
// passes it on), and `at` again where the row ends.
inline std::optional<qsizetype> choiceAfterKey(int key, qsizetype at, qsizetype count)
{
    qsizetype wanted = at;
    switch (key) {
    case Qt::Key_Left: wanted = at - 1; break;
    case Qt::Key_Right: wanted = at + 1; break;
    case Qt::Key_Home: wanted = 0; break;
    case Qt::Key_End: wanted = count - 1; break;
    default: return std::nullopt;
    }
    return wanted >= 0 && wanted < count ? wanted : at;
}

// Whether the key presses the focused choice: Enter, Return or Space.
inline bool isPressKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

}  // namespace moravel
