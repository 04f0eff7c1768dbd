// The form runtime on Qt Widgets: a top-level form of fixed client size
// (form.h), the drive, directory and file lists and the label with the
// properties and events the window code uses (drive_list.h, dir_list.h,
// file_list.h, label.h), and the report of errors raised by an event
// (error_box.h). Every Qt type of the program stays behind this layer and
// main.
#pragma once

#include "platform/ui/qt/dir_list.h"
#include "platform/ui/qt/drive_list.h"
#include "platform/ui/qt/error_box.h"
#include "platform/ui/qt/file_list.h"
#include "platform/ui/qt/form.h"
#include "platform/ui/qt/label.h"
#include "platform/ui/qt/text.h"
