#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

// The production record's tables, the same on SQLite and PostgreSQL, brought to this program's
// version by migrations applied in order, each in the one transaction that also records the
// version reached.
class ProductionSchema {
public:
    // The version this program writes.
    static int Version();

    enum class Result { Ready, Newer, Failed };

    // Brings the database up to Version(). Newer: the database was made by a later program
    // (its version in found); it is left alone. Failed: error says why.
    static Result Migrate(QSqlDatabase& db, int& found, QSqlError& error);
};
