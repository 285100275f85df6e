#pragma once

#include "ui/WindowContracts.h"

#include <QString>

#include <functional>
#include <type_traits>

// The main frame as the windows inside it see it: they open or bring forward each other through it.
class FrameHost
{
public:
    virtual ~FrameHost() = default;

    // Opens the child window of the kind, or brings the open one forward. prepare runs before the
    // window shows and says whether it is of the contract the caller expects (a window that is not
    // is not shown). nullptr when nothing opened (the frame or the window has said why).
    virtual FrameChild *openChild(const QString &kind, const std::function<bool(FrameChild &)> &prepare) = 0;

    template <class Contract>
    Contract *open(const WindowKind<Contract> &kind,
                   const std::type_identity_t<std::function<void(Contract &)>> &prepare = {})
    {
        Contract *typed = nullptr;
        openChild(kind.name, [&typed, &prepare](FrameChild &child) {
            typed = dynamic_cast<Contract *>(&child);
            if (typed && prepare)
                prepare(*typed);
            return typed != nullptr;
        });
        return typed;
    }
};

// host->open(kind, prepare), or nullptr while there is no frame.
template <class Contract>
Contract *OpenChild(FrameHost *host, const WindowKind<Contract> &kind,
                    const std::type_identity_t<std::function<void(Contract &)>> &prepare = {})
{
    return host ? host->open(kind, prepare) : nullptr;
}
