#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace tarlo {

enum class MessageIcon { Information, Exclamation, Error, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Notifications a run posts to the main window; the host carries them to its own thread.
enum class RunNotification { Started, Stopped, InvisibleFinished };

// Every service the core asks of its surroundings. The console host prints, the desktop
// shows, and tests record and drive the tick by hand. An invisible run calls the host
// from its worker thread, so implementations must accept calls from any thread.
class Host {
public:
    virtual ~Host() = default;

    virtual void appendOutputLine(const std::string& line) = 0;
    virtual void appendValidationLine(const std::string& line) = 0;
    // Message boxes are captioned "Tarlo".
    virtual MessageAnswer showMessage(const std::string& text, MessageIcon icon,
                                      MessageButtons buttons = MessageButtons::Ok) = 0;
    virtual void setStatusText(const std::string& text) = 0;
    virtual void resetStatusPane() = 0;
    virtual void resetLoadEffectView() = 0;
    virtual void postRunNotification(RunNotification notification) = 0;
    virtual void refreshViews() = 0;
    // The bridge values and the simulation time after a visible step.
    virtual void showStepValues(const std::string& bridgeValues, double simTime) = 0;

    // Free-running millisecond counter; wraps like any 32-bit tick.
    virtual std::uint32_t tickMs() = 0;
    virtual std::tm localTime() = 0;
};

} // namespace tarlo
