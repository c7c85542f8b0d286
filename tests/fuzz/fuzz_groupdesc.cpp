// Fuzz target: the parse of Program Manager's group description, given exactly the bytes received (no
// terminator, so a read past them is caught). Each item kept is whole: fields inside the text, in order,
// without line ends; never more items than the first line states, nor than the text could hold.
#include "fuzz_check.h"
#include "history/groupdesc.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096)
        return 0;
    std::unique_ptr<char[]> text(new char[size > 0 ? size : 1]);
    memcpy(text.get(), data, size);
    int stated = GroupItemCount(text.get(), size);
    FUZZ_CHECK(stated >= 0 && (size_t)stated <= size / kMinItemChars, "count " + std::to_string(stated));
    const int capacity = stated + 2;
    std::unique_ptr<GroupItem[]> items(new GroupItem[capacity]);
    int parsed = ParseGroupDescription(text.get(), size, items.get(), capacity);
    FUZZ_CHECK(parsed >= 0 && parsed <= stated,
               "parsed " + std::to_string(parsed) + " of " + std::to_string(stated));
    const char* end = text.get() + size;
    const char* previous = text.get();
    for (int i = 0; i < parsed; ++i) {
        const char* fields[5] = {items[i].name, items[i].commandLine, items[i].defaultDir, items[i].iconPath,
                                 items[i].iconIndex};
        for (const char* field : fields) {
            FUZZ_CHECK(field >= previous && field < end,
                       "item " + std::to_string(i) + " field outside the text");
            size_t length = strnlen(field, (size_t)(end - field));
            FUZZ_CHECK(field + length < end, "field not ended inside the text");
            FUZZ_CHECK(std::string(field, length).find_first_of("\r\n") == std::string::npos,
                       "line end in a field");
            previous = field;
        }
    }
    return 0;
}
