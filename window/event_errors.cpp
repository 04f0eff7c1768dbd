#include "window/event_errors.h"

#include <exception>
#include <new>

#include "platform/os/error.h"

namespace Window {

ErrorReportEntry EntryForCurrentException() {
    try {
        throw;
    } catch (const Platform::PlatformError& error) {
        return {error.operation(), error.path(), error.reason()};
    } catch (const std::bad_alloc&) {
        return {"allocate memory", "", "not enough memory"};
    } catch (const std::exception& error) {
        return {"run the event", "", error.what()};
    } catch (...) {
        return {"run the event", "", "unknown error"};
    }
}

}  // namespace Window
