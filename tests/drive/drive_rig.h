// A Drive with default settings, a step-mode switch and a count of event-processing calls.
#pragma once

#include "drive/drive.h"
#include "settings/variabile.h"

#include <functional>
#include <memory>

namespace orlex::test {

inline Variabile defaultSettings()
{
    Variabile v;
    v.Lstepx = " 50 ";
    v.Lstepy = " 50 ";
    v.Maxx = " 150 ";
    v.Maxy = " 150 ";
    v.Speedx = " 80 ";
    v.Speedy = " 80 ";
    v.Offsetx = " 5 ";
    v.Offsety = " 5 ";
    v.LptAddress = "&H378";
    return v;
}

struct DriveRig {
    explicit DriveRig(Port& port, Variabile s = defaultSettings()) : settings(std::move(s))
    {
        DriveHooks hooks;
        hooks.processEvents = [this] { ++eventCalls; if (onEvents) onEvents(); };
        hooks.halfStep = [this] { return half; };
        drive = std::make_unique<Drive>(port, settings, std::move(hooks));
    }
    DriveRig(const DriveRig&) = delete; // the hooks point back at this rig
    DriveRig& operator=(const DriveRig&) = delete;

    Variabile settings;
    bool half = true;
    long eventCalls = 0;
    std::function<void()> onEvents;
    std::unique_ptr<Drive> drive;
};

} // namespace orlex::test
