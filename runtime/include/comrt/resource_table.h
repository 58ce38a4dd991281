// The table of embedded resources that comrt_add_resources (cmake/Resources.cmake)
// generates into a module, and that comrt_FindResource reads from the loaded image.
#pragma once

#include <cstdint>

struct comrt_resource_entry {
    const char* type;            // a name ("REGISTRY") or a number written "#23"
    uint32_t id;
    uint16_t language;
    uint32_t size;               // bytes
    const unsigned char* data;   // never null, even for an empty resource
};

struct comrt_resource_table {
    uint32_t count;
    const comrt_resource_entry* entries;
};

// The exported name of a module's table.
#define COMRT_RESOURCE_TABLE_SYMBOL "comrt_resources"
