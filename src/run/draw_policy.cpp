// When Draw is allowed and whether Resume is offered.
#include "run/draw_policy.h"

namespace orlex {

bool adoptBesideCheck(const BesideCheck& check, const WindowForCheck& window)
{
    if (!check.finished)
        return false;
    const CheckSetup& then = check.setup;
    const CheckSetup& now = window.setup;
    if (then.zoom != now.zoom || then.halfStep != now.halfStep || then.reading != now.reading)
        return false;
    for (const NumericSetting& setting : kNumericSettingTable)
        if (check.settings.*setting.value != window.settings.*setting.value)
            return false;
    return window.wholePlot || window.canvasSizeMatches;
}

bool DrawPolicy::forgetIfScaleChanged(const DrawableCheck& now)
{
    if (!check_)
        return false;
    if (now.stepLengthX == check_->stepLengthX && now.stepLengthY == check_->stepLengthY && now.limitX == check_->limitX
        && now.limitY == check_->limitY)
        return false;
    check_.reset();
    return true;
}

void DrawPolicy::drawEnded(const DrawOutcome& outcome, bool originIsPenToZero)
{
    if (outcome.drew == DrawOutcome::Kind::Finished || outcome.stoppedAtPoint == 0 || !check_) {
        stopped_.reset();
        return;
    }
    stopped_ = StoppedDraw{*check_, outcome.stoppedAtPoint, originIsPenToZero, {}};
}

void DrawPolicy::positionLost(const std::string& why)
{
    if (stopped_ && stopped_->positionLost.empty())
        stopped_->positionLost = why;
}

Result<void> DrawPolicy::resumeAllowed() const
{
    DrawableCheck sameSetup = check_.value_or(DrawableCheck{});
    sameSetup.tested = stopped_->check.tested;
    if (!check_ || !(sameSetup == stopped_->check))
        return failure("Resume needs the file, zoom, step type and settings of the stopped draw, checked with "
                       "\"Test and Show\".");
    // A new test of a file that changed since the draw stopped read another plot.
    if (!(check_->tested == stopped_->check.tested))
        return failure("The plot file has changed since the draw stopped.");
    if (!stopped_->positionLost.empty() && !stopped_->originIsPenToZero)
        return failure("Resume is not possible: since the draw stopped, " + stopped_->positionLost
                       + ", and this plot's origin is where the carriage stood, which homing cannot find again.");
    return {};
}

ResumeOffer DrawPolicy::resumeOffer(bool idle, bool drawRunning) const
{
    ResumeOffer offer;
    if (!stopped_ || drawRunning)
        return offer;
    const Result<void> allowed = resumeAllowed();
    const std::string point = std::to_string(stopped_->point);
    offer.shown = true;
    offer.point = stopped_->point;
    offer.enabled = allowed && idle;
    if (!allowed)
        offer.toolTip = allowed.message();
    else if (stopped_->positionLost.empty())
        offer.toolTip = "Draws on from point " + point + ", from where the stopped draw left the carriage.";
    else
        offer.toolTip = "Homes, moves to the plot's origin (\"Pen to 0\"), then draws on from point " + point + ".";
    return offer;
}

std::optional<DrawPlan> DrawPolicy::resumePlan() const
{
    if (!stopped_ || !resumeAllowed())
        return std::nullopt;
    DrawPlan plan;
    plan.origin = stopped_->positionLost.empty() ? DrawPlan::Origin::KeepPosition : DrawPlan::Origin::PenToZero;
    plan.firstPoint = stopped_->point;
    return plan;
}

} // namespace orlex
