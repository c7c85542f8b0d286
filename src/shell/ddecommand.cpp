#include "shell/ddecommand.h"

#include "base/text.h"

static int NeedsQuotes(const char* argument) {
    for (const char* c = argument; *c != '\0'; ++c)
        if (*c == '(' || *c == ')' || *c == '[' || *c == ']' || *c == ',')
            return 1;
    return 0;
}

static int AppendArgument(char* command, size_t size, const char* argument) {
    if (!NeedsQuotes(argument))
        return AppendText(command, size, argument);
    return AppendText(command, size, "\"") && AppendText(command, size, argument) &&
           AppendText(command, size, "\"");
}

int FormatProgmanCommand(char* command, size_t size, const char* verb, const char* const* args, int count) {
    if (!CopyText(command, size, "[") || !AppendText(command, size, verb) || !AppendText(command, size, "("))
        return 0;
    for (int i = 0; i < count; ++i) {
        if ((i > 0 && !AppendText(command, size, ",")) || !AppendArgument(command, size, args[i]))
            return 0;
    }
    return AppendText(command, size, ")]");
}
