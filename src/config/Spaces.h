#pragma once

#include <QString>

// Trimming the way program files and labels mean it: spaces only, a tab is text.
class Spaces {
public:
    static QString Trim(const QString& text);
};
