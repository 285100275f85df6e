#include "admin/MasterDataRemoval.h"

#include "admin/DoorAreaStore.h"
#include "admin/DoorStore.h"
#include "admin/OperatorStore.h"
#include "admin/WingStore.h"
#include "components/recordtable/TableDefs.h"
#include "platform/BusySignal.h"
#include "session/Authority.h"
#include "session/Notify.h"
#include "texts/Messages.h"

#include <algorithm>

namespace {

constexpr int16_t kWingWithRooms = -32479;
constexpr int16_t kWingWithoutRooms = -32480;
constexpr int16_t kAreaHasDoors = -31744;
constexpr int16_t kAreaWithDoors = -32493;
constexpr int16_t kAreaWithoutDoors = -32508;
constexpr int16_t kNotAllowed = -31143;
constexpr int16_t kRecordGone = -31227;
constexpr int32_t kWingRemoveError = 4928;
constexpr int32_t kAreaWithDoorsRemoveError = 4273;
constexpr int32_t kAreaRemoveError = 4274;
constexpr int32_t kAreaDoorsUnreadError = 4275;
constexpr int16_t kDoorWithCards = -29809;
constexpr int16_t kDoorRemove = -29808; // "Do you want to remove %s?", also for operators
constexpr int32_t kDoorRemoveError = 4610;
constexpr int16_t kRemoveSelf = -29800;
constexpr int32_t kOperatorRemoveError = 4626;
constexpr int16_t kStateRenamingDoors = 2;
constexpr int16_t kStateRemovingDoors = 5;

void showFailure(const RemovalContext &context, const RecordResult &failure, int32_t code)
{
    if (failure.status == RecordStatus::NoRecord && failure.failed == RecordResult::Step::Record)
        context.messages.error(kRecordGone, {}, {}, context.parent);
    else
        context.messages.errorWithCode(code, failure.errorText, context.parent);
}

} // namespace

RemoveAnswer AskRemoval(Messages &messages, int16_t text, const QVariantList &arguments, int16_t buttons,
                        QWidget *parent)
{
    MessageRequest question;
    question.textNumber = text;
    question.arguments = arguments;
    question.style = MessageStyle::Question;
    question.buttons = buttons == kButtonsYesNo ? MessageButtons::YesNo : MessageButtons::YesNoCancel;
    question.buttonNumbers = {buttons};
    const int answer = messages.show(question, parent);
    if (answer == 0)
        return RemoveAnswer::Remove;
    switch (buttons) {
    case kButtonsYesNoCancel:
        return answer == 2 ? RemoveAnswer::Cancel : RemoveAnswer::Skip;
    case kButtonsYesAllNoCancel:
        return answer == 1 ? RemoveAnswer::RemoveAll : answer == 2 ? RemoveAnswer::Skip : RemoveAnswer::Cancel;
    default:
        return RemoveAnswer::Cancel;
    }
}

RemoveAnswer RemovalQuestions::ask(int16_t text, const QVariantList &arguments)
{
    if (m_all)
        return RemoveAnswer::Remove;
    const RemoveAnswer answer =
        AskRemoval(m_messages, text, arguments, m_several ? kButtonsYesAllNoCancel : kButtonsYesNo, m_parent);
    if (answer != RemoveAnswer::RemoveAll)
        return answer;
    m_all = true;
    return RemoveAnswer::Remove;
}

RemoveAnswer RemovalQuestions::askAlways(int16_t text, const QVariantList &arguments)
{
    return AskRemoval(m_messages, text, arguments, m_several ? kButtonsYesNoCancel : kButtonsYesNo, m_parent);
}

QStringList RemoveWings(const RemovalContext &context, const QStringList &codes)
{
    WingStore store(context.db);
    RemovalQuestions questions(context.messages, context.parent, codes.size());
    QStringList removed;
    for (const QString &code : codes) {
        WingStore::Wing wing;
        if (const RecordResult loaded = store.load(code, wing); !loaded.ok()) {
            showFailure(context, loaded, kWingRemoveError);
            continue;
        }
        bool hasRooms = false;
        if (const RecordResult read = store.hasGuestDoors(wing.number, hasRooms); !read.ok()) {
            showFailure(context, read, kWingRemoveError);
            return removed;
        }
        const RemoveAnswer answer =
            hasRooms ? questions.askAlways(kWingWithRooms, {code}) : questions.ask(kWingWithoutRooms, {});
        if (answer == RemoveAnswer::Cancel)
            return removed;
        if (answer == RemoveAnswer::Skip)
            continue;
        if (hasRooms)
            SetBusyState(context.busy, kStateRenamingDoors);
        const RecordResult gone = store.remove(code);
        SetBusyState(context.busy, 0);
        if (!gone.ok()) {
            showFailure(context, gone, kWingRemoveError);
            continue;
        }
        removed << code;
        if (hasRooms)
            context.notify.NotifyDoorsRefresh();
    }
    return removed;
}

QList<qint32> RemoveDoorAreas(const RemovalContext &context, const QList<DoorAreaRow> &areas)
{
    DoorAreaStore store(context.db);
    RemovalQuestions questions(context.messages, context.parent, areas.size());
    QList<qint32> removed;
    for (const DoorAreaRow &area : areas) {
        QList<qint32> doors;
        if (const RecordResult read = store.doorsOf(area.doorGroupID, doors); !read.ok()) {
            context.messages.errorWithCode(kAreaDoorsUnreadError, read.errorText, context.parent);
            return removed;
        }
        const bool hasDoors = !doors.isEmpty();
        if (hasDoors) {
            context.messages.show(MessageRequest::fromStyle(kAreaHasDoors, 48, 0), context.parent);
            const RemoveAnswer answer =
                AskRemoval(context.messages, kAreaWithDoors, {area.name}, kButtonsYesNoCancel, context.parent);
            if (answer == RemoveAnswer::Cancel)
                return removed;
            if (answer != RemoveAnswer::Remove)
                continue;
            // Doors go for good: only an operator who may delete doors removes them.
            if (!context.authority.HasRight(TableId::Doors, Authority::Delete)) {
                context.messages.error(kNotAllowed, {}, {}, context.parent);
                continue;
            }
            const qsizetype total = doors.size();
            const RecordResult doorsGone = store.removeDoors(area.doorGroupID, [&](qint32 doorID, int done) {
                SetBusyState(context.busy, kStateRemovingDoors, int16_t(done * 100 / total));
                context.notify.NotifyDoorRemoved(doorID, doorID);
            });
            SetBusyState(context.busy, 0);
            if (!doorsGone.ok()) {
                showFailure(context, doorsGone, kAreaWithDoorsRemoveError);
                continue;
            }
        } else {
            const RemoveAnswer answer = questions.ask(kAreaWithoutDoors, {area.name});
            if (answer == RemoveAnswer::Cancel)
                return removed;
            if (answer == RemoveAnswer::Skip)
                continue;
        }
        if (const RecordResult gone = store.remove(area.doorGroupID); !gone.ok()) {
            showFailure(context, gone, hasDoors ? kAreaWithDoorsRemoveError : kAreaRemoveError);
            continue;
        }
        removed << area.doorGroupID;
        context.notify.NotifyDoorGroupRemoved(area.doorGroupID);
    }
    return removed;
}

QList<qint32> RemoveDoors(const RemovalContext &context, const QList<DoorRow> &doors)
{
    DoorStore store(context.db);
    RemovalQuestions questions(context.messages, context.parent, doors.size());
    QList<qint32> removed;
    const auto announce = [&context](const QList<qint32> &ids) {
        for (qsizetype i = 0; i < ids.size();) {
            qsizetype j = i;
            while (j + 1 < ids.size() && ids[j + 1] == ids[j] + 1)
                ++j;
            context.notify.NotifyDoorRemoved(ids[i], ids[j]);
            i = j + 1;
        }
    };
    for (const DoorRow &door : doors) {
        bool hasCards = false;
        if (const RecordResult read = store.hasValidCards(door.doorID, hasCards); !read.ok()) {
            showFailure(context, read, kDoorRemoveError);
            break;
        }
        // A door valid cards still open is always asked about: its guests would be locked out.
        const RemoveAnswer answer =
            hasCards ? questions.askAlways(kDoorWithCards, {door.name}) : questions.ask(kDoorRemove, {door.name});
        if (answer == RemoveAnswer::Cancel)
            break;
        if (answer == RemoveAnswer::Skip)
            continue;
        if (const RecordResult gone = store.remove(door.doorID); !gone.ok()) {
            showFailure(context, gone, kDoorRemoveError);
            continue;
        }
        removed << door.doorID;
    }
    QList<qint32> sorted = removed;
    std::sort(sorted.begin(), sorted.end());
    announce(sorted);
    return removed;
}

QList<qint32> RemoveOperators(const RemovalContext &context, const QList<OperatorRow> &operators,
                              qint32 currentOperatorID)
{
    OperatorStore store(context.db);
    const auto bits = [&context](qint32 tableId) {
        qint32 rwed = 0;
        for (qint32 bit : {Authority::Read, Authority::Write, Authority::Edit, Authority::Delete})
            rwed |= context.authority.HasRight(tableId, bit) ? bit : 0;
        return rwed;
    };
    RemovalQuestions questions(context.messages, context.parent, operators.size());
    QList<qint32> removed;
    for (const OperatorRow &row : operators) {
        if (row.userID == currentOperatorID) {
            context.messages.error(kRemoveSelf, {}, {}, context.parent);
            continue;
        }
        OperatorStore::Operator op;
        if (const RecordResult loaded = store.load(row.userID, op); !loaded.ok()) {
            showFailure(context, loaded, kOperatorRemoveError);
            continue;
        }
        if (!OperatorRightsOf(bits(TableId::Operators), bits(TableId::Passwords), true, op.hasPassword).remove) {
            context.messages.error(kNotAllowed, {}, {}, context.parent);
            continue;
        }
        if (const RemoveAnswer answer = questions.ask(kDoorRemove, {row.alphaID}); answer == RemoveAnswer::Cancel)
            break;
        else if (answer == RemoveAnswer::Skip)
            continue;
        if (const RecordResult gone = store.remove(row.userID); !gone.ok()) {
            showFailure(context, gone, kOperatorRemoveError);
            continue;
        }
        removed << row.userID;
        context.notify.NotifyOperatorRemoved(row.userID);
    }
    return removed;
}
