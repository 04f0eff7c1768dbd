#include "window/event_errors.h"

#include <exception>
#include <new>

#include "platform/system/os/error.h"
#include "platform/system/os/translation.h"

namespace Window {

ErrorReportEntry EntryForCurrentException() {
    try {
        throw;
    } catch (const Platform::PlatformError& error) {
        return {error.operation(), error.path(), error.reason()};
    } catch (const std::bad_alloc&) {
        return {Platform::Operation::kAllocateMemory, "", Platform::Tr("not enough memory")};
    } catch (const std::exception& error) {
        return {Platform::Operation::kRunEvent, "", error.what()};
    } catch (...) {
        return {Platform::Operation::kRunEvent, "", Platform::Tr("unknown error")};
    }
}

}  // namespace Window
