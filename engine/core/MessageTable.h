// The texts of the engine's numbered messages. A failure is logged by id or
// thrown as the wide text of its id (`throw MessageTable::GetText(id);`), and
// whoever catches the `const wchar_t*` logs it.
#pragma once

namespace Quorvex {

class MessageTable {
public:
    // Fills the table; the entry point does this before anything logs by id.
    static void Build();
    // Empties it again (GetText then answers null).
    static void Clear();
    // The text of the id; the text of id 0 for an id not in the table; null
    // before the table is built. The texts live for the whole process.
    static const wchar_t* GetText(int id);
    // MessageLogManager::Log(source, GetText(id)) on the process-wide log.
    static int Log(int id, const wchar_t* source);
};

}  // namespace Quorvex
