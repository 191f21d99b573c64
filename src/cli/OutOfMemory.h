#pragma once

#include <new>
#include <string>
#include <utility>

namespace tarlo::cli {

// An allocation failure that knows what the command was doing when it met it, for the top
// level's message ("tarlo: out of memory while loading p.tlp").
class OutOfMemory : public std::bad_alloc {
public:
    explicit OutOfMemory(std::string activity) : m_Activity(std::move(activity)) {}
    const std::string& activity() const { return m_Activity; }

private:
    std::string m_Activity;
};

// Does `work`; an allocation failure in it leaves as an OutOfMemory naming `activity`, unless
// a stage within has named its own.
template <class Work> auto whileDoing(const std::string& activity, Work&& work) {
    try {
        return work();
    } catch (const OutOfMemory&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw OutOfMemory(activity);
    }
}

} // namespace tarlo::cli
