// Inserting a drawing into the running CAD program and loading an AutoLISP file into it: the
// command texts typed into its command line, and the sequence that types them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/Messages.h"
#include "cadlink/CadSession.h"

namespace kestrel::cadlink {

// The drawing inserted as a block at a point the user then picks in the CAD program: the path
// quoted as it stands (blanks allowed), scale 1, rotation 0, attributes not asked for.
std::string InsertCommandText(std::string_view path);
// (load "PATH")(princ) with every backslash of the path doubled, as a LISP string needs.
std::string LispLoadCommandText(std::string_view path);

// The text SendToCad gets for the path, or nothing where the command stops silently: an
// extension other than ".DWG"/".DXF" (".LSP"), compared with ASCII letters upper-cased, or no
// such file.
std::optional<std::string> InsertCommandFor(std::string_view path);
std::optional<std::string> LispLoadCommandFor(std::string_view path);

// Brings the CAD program's window to the front and types `text` and a CR into its active
// document. Nothing happens when no program runs for `progId`; a failure of the platform or
// of the program is shown in an error box and ends the command.
void SendToCad(CadSession& session, const std::string& progId, const std::string& text,
               const MessageSink& messages);

// The two commands on the selected entry (none: nothing happens).
void InsertIntoCad(const std::optional<std::string>& selectedPath, CadSession& session,
                   const std::string& progId, const MessageSink& messages);
void LoadLispIntoCad(const std::optional<std::string>& selectedPath, CadSession& session,
                     const std::string& progId, const MessageSink& messages);

}  // namespace kestrel::cadlink
