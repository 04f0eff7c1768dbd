#include "window/event_errors.h"

#include <exception>
#include <new>

#include "platform/system/os/error.h"
#include "platform/system/os/translation.h"

namespace Window {

ErrorReportEntry EntryForCurrentException() {
    try {
        throw;
    } catch (const System::PlatformError& error) {
        return {error.operation(), error.path(), error.reason()};
    } catch (const std::bad_alloc&) {
        return {System::Operation::kAllocateMemory, "", System::Tr("not enough memory")};
    } catch (const std::exception& error) {
        return {System::Operation::kRunEvent, "", error.what()};
    } catch (...) {
        return {System::Operation::kRunEvent, "", System::Tr("unknown error")};
    }
}

}  // namespace Window
