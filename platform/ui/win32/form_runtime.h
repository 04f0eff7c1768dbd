// The form runtime on the Win32 API: a top-level form of fixed client size
// laid out in twips at the monitor's resolution (form.h), the drive,
// directory and file lists and the label as native controls with the
// properties and events the window code uses (drive_list.h, dir_list.h,
// file_list.h, label.h), and the report of errors raised by an event
// (error_box.h). Every Win32 type of the program stays behind this layer
// and the start.
#pragma once

#include "platform/ui/win32/dir_list.h"
#include "platform/ui/win32/drive_list.h"
#include "platform/ui/win32/error_box.h"
#include "platform/ui/win32/file_list.h"
#include "platform/ui/win32/form.h"
#include "platform/ui/win32/label.h"
#include "platform/ui/win32/text.h"
