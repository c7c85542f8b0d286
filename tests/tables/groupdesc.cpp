// Named shapes of Program Manager's group description: the right fields (the fuzz target: inside the text).
#include "history/groupdesc.h"

#include <gtest/gtest.h>
#include <string>

TEST(GroupDescription, NamedShapes) {
    const std::string head = "\"G\",G.GRP,2,1\r\n\"A\",\"a\",D,a.ico,16,16,0,0,0\r\n";
    const struct {
        std::string text;
        int count;
        const char* last; // name|command line|default directory|icon path|icon index
    } rows[] = {
        {head + "\"U\",\"u.exe -u\",W,u.ico,96,88,1,0,0\r\n", 2, "U|u.exe -u|W|u.ico|1"}, // index after x, y
        {head + "\"B\",\"b\",C,b.ico,0,0,7,0,0", 2, "B|b|C|b.ico|7"},                     // no line end
        {head + "\"B\",\"b\",C,b.ico,0,0,7\r\n", 2, "B|b|C|b.ico|7"},                     // ends at the index
        {head + "\"B\",\"b\",C,b.ico,0,0,7", 1, "A|a|D|a.ico|0"},                         // cut in the index
        {"\"G\",G.GRP,1,1\r\n\"N\",\"\",,,,,,,\r\n", 1, "N||||"},                         // empty fields
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        SCOPED_TRACE(i);
        std::string text = rows[i].text;
        GroupItem items[4];
        ASSERT_EQ(ParseGroupDescription(&text[0], text.size(), items, 4), rows[i].count);
        const GroupItem& l = items[rows[i].count - 1];
        std::string last = std::string(l.name) + "|" + l.commandLine + "|" + l.defaultDir + "|" + l.iconPath;
        EXPECT_EQ(last + "|" + l.iconIndex, rows[i].last);
    }
}
