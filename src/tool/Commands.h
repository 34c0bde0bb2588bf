// The subcommands of kestrel-tool. Each takes the arguments after its name and returns the
// process exit status.
#pragma once

#include <string>
#include <vector>

namespace kestrel::tool {

using Args = std::vector<std::string>;

int RunScan(const Args& args);        // ScanCommand.cpp
int RunDxfDump(const Args& args);     // DxfDumpCommand.cpp
int RunRender(const Args& args);      // RenderCommand.cpp
int RunLispTokens(const Args& args);  // LispTokensCommand.cpp
int RunSniff(const Args& args);       // SniffCommand.cpp
int RunExtract(const Args& args);     // ExtractCommand.cpp
int RunScan(const Args& args);          // ScanCommand.cpp
int RunDxfDump(const Args& args);       // DxfDumpCommand.cpp
int RunRender(const Args& args);        // RenderCommand.cpp
int RunLispTokens(const Args& args);    // LispTokensCommand.cpp
int RunSniff(const Args& args);         // SniffCommand.cpp
int RunCadCommand(const Args& args);    // CadCommand.cpp
int RunTargetDialog(const Args& args);  // TargetDialogCommand.cpp
int RunDwgPreview(const Args& args);    // DwgPreviewCommand.cpp
int RunPdfView(const Args& args);       // PdfViewCommand.cpp
int RunView(const Args& args);          // ViewCommand.cpp

// "WxH" with both sides from 1 to 20000 pixels (RenderCommand.cpp).
bool ParseSize(const std::string& text, int& width, int& height);

}  // namespace kestrel::tool
