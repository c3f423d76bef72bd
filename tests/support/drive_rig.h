// A Drive with default settings and a step-mode switch.
#pragma once

#include "drive/drive.h"
#include "settings/machine_settings.h"
#include "test_machine.h"

#include <functional>
#include <memory>

namespace orlex::test {

struct DriveRig {
    explicit DriveRig(Port& port, MachineSettings s = defaultSettings()) : settings(std::move(s))
    {
        DriveHooks hooks;
        hooks.halfStep = [this] { return half; };
        drive = std::make_unique<Drive>(port, settings, std::move(hooks));
    }
    DriveRig(const DriveRig&) = delete; // the hooks point back at this rig
    DriveRig& operator=(const DriveRig&) = delete;

    MachineSettings settings;
    bool half = true;
    std::unique_ptr<Drive> drive;
};

} // namespace orlex::test
