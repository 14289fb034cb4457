#pragma once

#include <QList>
#include <QString>

// One list line as its values: numbered fields in the order they stand ("#161=P1.CNC;#164=1;…"
// is field 161 "P1.CNC", then field 164 "1"). It travels to the list managers as it is; its text
// is made only where the line is written (the work list's file, the journal, the window).
class ListFields {
public:
    // The number of a piece of a read line that is no field ("G0 X0", "#31"): it keeps its place
    // among the fields, its text as the value, so that the line is still taken and only whoever
    // runs it refuses it there.
    static constexpr int NoField = -1;

    struct Field {
        int number = NoField;
        QString value;
    };

    ListFields() = default;

    // A line read from a list file or the saved work list. Pieces end at ";"; a blank piece is
    // no field and is dropped; "#<1 to 9 digits>=<value>" is a field, anything else NoField.
    static ListFields Read(const QString& text);

    // Adds a field after the others; a line read is from then on made from its fields.
    void Add(int number, const QString& value);

    // Every field in order, duplicates and pieces that are no field included.
    const QList<Field>& Fields() const { return fields_; }
    // The value of the first field with the number (the first of two equal fields counts);
    // empty when there is none.
    QString Value(int number) const;

    // The line as text: "#161=P1.CNC;#164=1;", every field with its ";". A line that was read
    // gives back exactly the text it was read from: list files carry any spacing, blank pieces
    // and text that is no field, and a line must go back to the file as it came; made again
    // from its fields it would not.
    QString Text() const;

private:
    QList<Field> fields_;
    bool wasRead_ = false;
    QString read_; // the text it was read from
};
