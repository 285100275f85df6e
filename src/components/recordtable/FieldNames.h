#pragma once

// The field names of the tables and views, for the components and the client alike, so a misspelt
// name fails to compile instead of failing a query.
#include <QLatin1String>

namespace Field {
#define OSTRELLE_FIELD(name) inline constexpr QLatin1String name(#name)

// Keys
OSTRELLE_FIELD(doorID);
OSTRELLE_FIELD(userID);
OSTRELLE_FIELD(noteID);
OSTRELLE_FIELD(doorGroupID);
OSTRELLE_FIELD(operatorTemplateID);
OSTRELLE_FIELD(deviceID);
OSTRELLE_FIELD(cameraID);
OSTRELLE_FIELD(clientID);
OSTRELLE_FIELD(clientName);
OSTRELLE_FIELD(cardNameID);
OSTRELLE_FIELD(registrationNumber);
OSTRELLE_FIELD(optionID);

// Doors
OSTRELLE_FIELD(doorName);
OSTRELLE_FIELD(doorCategory);
OSTRELLE_FIELD(commonRoom);
OSTRELLE_FIELD(privateRoom);
OSTRELLE_FIELD(trueRoom);
OSTRELLE_FIELD(roomIntervalStart);
OSTRELLE_FIELD(roomIntervalStop);
OSTRELLE_FIELD(lastOverrideNumber);
OSTRELLE_FIELD(overrideIncrement);

// Users
OSTRELLE_FIELD(alphaID);
OSTRELLE_FIELD(surname);
OSTRELLE_FIELD(firstname);
OSTRELLE_FIELD(address1);
OSTRELLE_FIELD(address2);
OSTRELLE_FIELD(zipcode);
OSTRELLE_FIELD(city);
OSTRELLE_FIELD(userGroupID);
OSTRELLE_FIELD(deleted);
OSTRELLE_FIELD(doNotShow);

// Operators
OSTRELLE_FIELD(timeOfLastWarning);

// Cards
OSTRELLE_FIELD(issueTime);
OSTRELLE_FIELD(startTime);
OSTRELLE_FIELD(expireTime);
OSTRELLE_FIELD(status);
OSTRELLE_FIELD(cancelTime);
OSTRELLE_FIELD(cancelOperatorID);
OSTRELLE_FIELD(issueOperatorID);

// Devices
OSTRELLE_FIELD(deviceName);
OSTRELLE_FIELD(computerName);
OSTRELLE_FIELD(portName);
OSTRELLE_FIELD(address);
OSTRELLE_FIELD(autoUpdatePrinter);
OSTRELLE_FIELD(deviceType);
OSTRELLE_FIELD(componentType);
OSTRELLE_FIELD(autoUpdateReadFile);

// CardNames, DoorDevices, Parameters, Notes, DoorGroups
OSTRELLE_FIELD(cardName);
OSTRELLE_FIELD(serialNumber);
OSTRELLE_FIELD(parameterID);
OSTRELLE_FIELD(parameter);
OSTRELLE_FIELD(noteText);
OSTRELLE_FIELD(doorGroupName);

// TemplateRights, OperatorTemplates
OSTRELLE_FIELD(operationCode);
OSTRELLE_FIELD(rwed);
OSTRELLE_FIELD(maxValidity);
OSTRELLE_FIELD(disallowed);
OSTRELLE_FIELD(operatorTemplateName);

// Cameras
OSTRELLE_FIELD(camName);
OSTRELLE_FIELD(camAddress);
OSTRELLE_FIELD(camUser);
OSTRELLE_FIELD(camPassword);

// Options, Passwords, Pins
OSTRELLE_FIELD(optionName);
OSTRELLE_FIELD(password);
OSTRELLE_FIELD(cardImageData);
OSTRELLE_FIELD(pinCode);
OSTRELLE_FIELD(pinAlarm);
OSTRELLE_FIELD(pinDuress);

// Wings
OSTRELLE_FIELD(wingCode);
OSTRELLE_FIELD(doorIDPrefix1);
OSTRELLE_FIELD(doorIDPrefix2);
OSTRELLE_FIELD(doorIDInterval);

// Columns of the list views
OSTRELLE_FIELD(mainGuestRoom);
OSTRELLE_FIELD(issueOperatorAlphaID);
OSTRELLE_FIELD(cancelOperatorAlphaID);
OSTRELLE_FIELD(numberOfIdenticallyIssuedCards);
OSTRELLE_FIELD(eventTime);
OSTRELLE_FIELD(eventName);
OSTRELLE_FIELD(readoutTime);
OSTRELLE_FIELD(readoutID);
OSTRELLE_FIELD(repeatFlag);
OSTRELLE_FIELD(eventCode);
OSTRELLE_FIELD(operatorCardNumber);
OSTRELLE_FIELD(cardCount);
OSTRELLE_FIELD(minIssueTime);
OSTRELLE_FIELD(maxExpireTime);
OSTRELLE_FIELD(cardStatus);

#undef OSTRELLE_FIELD
} // namespace Field
