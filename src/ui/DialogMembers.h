#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

class QObject;

// Windows that open each other through the window catalog know each other only by kind, so they
// call each other's members by name, as the window's Q_INVOKABLE functions and Q_PROPERTY values:
//   bool IsDialogAvailable()    may the window be opened now (it reports why not itself)
//   void Activate()             the window came forward (sets its flag in the open-dialog set)
//   void SetFunction(int)       the function card's function, 0 to 3
//   bool ReadCardImageBag()     show the card just read on the encoder
//   property Joiner (bool), the data dialogs' record keys (UserID, DoorID, DoorGroupID, OperatorID,
//   OperatorTemplateID, CameraID, DeviceID: 0 = new record; WingCode: "" = new), and the child's
//   kind in property Tag ("LIST", "DETAILS", "CARD", "CAMERA") and help context in HelpContextID.
// A member the window does not have is not called; the helpers say whether it was.
namespace DialogMembers {

bool has(const QObject *window, const char *member);
// Calls member with up to three arguments (int, bool, double or QString values).
bool call(QObject *window, const char *member, const QVariantList &arguments = {});
// Calls a member that answers a bool; fallback when the window lacks it.
bool callBool(QObject *window, const char *member, bool fallback, const QVariantList &arguments = {});
// A boolean the window offers as a property or as a member without arguments.
bool readBool(QObject *window, const char *name, bool fallback);
// IsDialogAvailable, true for a window without it.
bool isDialogAvailable(QObject *window);

} // namespace DialogMembers
