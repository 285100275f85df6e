#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QtGlobal>

#include <cstdint>

class BusySignal;
class Messages;
class Notify;
class QWidget;
class RecordDatabase;
class Authority;

// Removing wings and door areas from their lists, one or several rows at a time, free of widgets
// but for the parent of the questions.

enum class RemoveAnswer { Remove, RemoveAll, Skip, Cancel };

// Button sets of the removal questions: yes/no for a single row (no cancels), yes/no/cancel, and
// yes/yes to all/no/cancel.
inline constexpr int16_t kButtonsYesNo = 17001;
inline constexpr int16_t kButtonsYesNoCancel = 17006;
inline constexpr int16_t kButtonsYesAllNoCancel = 17008;
RemoveAnswer AskRemoval(Messages &messages, int16_t text, const QVariantList &arguments, int16_t buttons,
                        QWidget *parent);

// The questions of one removal run: with several rows each is asked with "yes to all", and once
// that is answered the remaining rows go without a question.
class RemovalQuestions
{
public:
    RemovalQuestions(Messages &messages, QWidget *parent, qsizetype rows)
        : m_messages(messages), m_parent(parent), m_several(rows > 1)
    {
    }
    // Remove, Skip or Cancel; Remove without asking after "yes to all".
    RemoveAnswer ask(int16_t text, const QVariantList &arguments);
    // For a row whose removal takes something more with it: asked even after "yes to all".
    RemoveAnswer askAlways(int16_t text, const QVariantList &arguments);

private:
    Messages &m_messages;
    QWidget *m_parent;
    bool m_several;
    bool m_all = false;
};

// What a removal run needs around it.
struct RemovalContext
{
    RecordDatabase &db;
    Messages &messages;
    Notify &notify;
    const Authority &authority;
    BusySignal *busy = nullptr;
    QWidget *parent = nullptr;
};

// Removes the wings in list order; a wing whose range holds guest doors is asked about with its
// code, and its doors are named by their numbers again. Returns the codes removed.
QStringList RemoveWings(const RemovalContext &context, const QStringList &codes);

// Removes the door areas in list order, each with its doors and their notes; deleting doors
// needs the operator's delete right on doors. Returns the areas removed.
struct DoorAreaRow
{
    qint32 doorGroupID = 0;
    QString name;
};
QList<qint32> RemoveDoorAreas(const RemovalContext &context, const QList<DoorAreaRow> &areas);

// Removes the doors in list order, each with its lock serial numbers and note; a door that valid
// cards still open is asked about on its own. Each run of consecutive numbers removed is
// announced as one range. Returns the doors removed.
struct DoorRow
{
    qint32 doorID = 0;
    QString name;
};
QList<qint32> RemoveDoors(const RemovalContext &context, const QList<DoorRow> &doors);

// Removes the operators in list order with their notes and passwords; the operator logged on
// here is refused, and each removal needs the delete right on operators and, for an operator
// with a password, on passwords. Returns the userIDs removed.
struct OperatorRow
{
    qint32 userID = 0;
    QString alphaID;
};
QList<qint32> RemoveOperators(const RemovalContext &context, const QList<OperatorRow> &operators,
                              qint32 currentOperatorID);
