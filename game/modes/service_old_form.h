// The older set of service pages, run instead of the new form when SKYVOLTA_OLD_TESTMODE
// is set: the same page numbers, ROM lists and framework, with the differences of its
// own pages (the bare main menu entry, the longer coin list, the input and I/O value
// tests' ways out, three pages that only report, and a board test menu that only draws).
#pragma once
#include <cstdint>

using service_page_handler = void (*)();
constexpr int SERVICE_PAGES = 34;

// service_state_handlers, indexed by the page as the new form's table is.
extern const service_page_handler SERVICE_STATE_HANDLERS[SERVICE_PAGES];
