#pragma once

#include <cstdint>

class QString;

// The change-notification interfaces: a window that shows records of a kind implements the
// interface of that kind and subscribes to Notify while it is loaded. None has behaviour of its
// own; the operations are in slot order.

class clsIUsers
{
public:
    virtual ~clsIUsers() = default;
    // flag: the saving dialog's own flag, so a dialog can tell its own Add from another's.
    virtual void Add(int32_t userID, int16_t flag) = 0;
    virtual void Update(int32_t userID) = 0;
    virtual void Remove(int32_t userID) = 0;
    virtual void Refresh() = 0;
};

class clsIDoors
{
public:
    virtual ~clsIDoors() = default;
    virtual void Add(int32_t doorID) = 0;
    virtual void AddRange(int32_t firstDoorID, int32_t lastDoorID) = 0;
    // second: passed through from the door dialog, which alone knows its meaning.
    virtual void Update(int32_t doorID, int32_t second) = 0;
    virtual void Remove(int32_t firstDoorID, int32_t lastDoorID) = 0;
    virtual void Refresh() = 0;
};

class clsIDoorGroups
{
public:
    virtual ~clsIDoorGroups() = default;
    virtual void Add(int32_t doorGroupID, int16_t flag) = 0;
    virtual void Update(int32_t doorGroupID) = 0;
    virtual void Remove(int32_t doorGroupID) = 0;
    virtual void Refresh() = 0;
};

class clsIDevices
{
public:
    virtual ~clsIDevices() = default;
    virtual void Add(int32_t deviceID) = 0;
    virtual void Update(int32_t deviceID) = 0;
    virtual void Remove(int32_t deviceID) = 0;
    virtual void Refresh() = 0;
};

class clsICameras
{
public:
    virtual ~clsICameras() = default;
    virtual void Add(int32_t cameraID) = 0;
    virtual void Update(int32_t cameraID) = 0;
    virtual void Remove(int32_t cameraID) = 0;
    virtual void Refresh() = 0;
};

class clsIOperators
{
public:
    virtual ~clsIOperators() = default;
    virtual void Add(int32_t userID) = 0;
    virtual void Update(int32_t userID) = 0;
    virtual void Remove(int32_t userID) = 0;
    virtual void Refresh() = 0;
};

class clsIOperatorTemplates
{
public:
    virtual ~clsIOperatorTemplates() = default;
    virtual void Add(int32_t operatorTemplateID) = 0;
    virtual void Update(int32_t operatorTemplateID) = 0;
    virtual void Remove(int32_t operatorTemplateID) = 0;
    virtual void Refresh() = 0;
};

// The live window of one camera (at most one per camera): its name and address follow the
// camera's record as Notify reports it updated.
class clsICameraWindow
{
public:
    virtual ~clsICameraWindow() = default;
    virtual int32_t CameraID() const = 0;
    virtual void CameraUpdated(const QString &cameraName, const QString &cameraAddress) = 0;
};
