// SPDX-License-Identifier: MIT
// The script reader: hands the interpreter one statement line at a time, with comment and
// blank lines skipped and "//" remarks removed.
#include "interpreter.h"
#include "text.h"
#include "trace_log.h"

int CInterpreter::OpenFile(const char* path) {
    int error = 0;
    fileOpen_ = path != nullptr && scriptFile_.Open(path, error) ? 1 : 0;
    if (!fileOpen_) {
        CTraceLog::Instance().Trace("OpenFile: ", path, " file cound not be opened, ", error);
    }
    return fileOpen_;
}

void CInterpreter::CloseFile() {
    if (!fileOpen_) return;
    scriptFile_.Close();
    fileOpen_ = 0;
}

int CInterpreter::GetNextLine() {
    CTraceLog& log = CTraceLog::Instance();
    log.Trace("GetNextLine: Begin");
    // Single statements have no file: the line stays as it is.
    if (!fileOpen_) return 1;
    // The script ends at a line too long to read.
    if (lineTooLong_) return 0;
    SetCurrentSession("#0");
    currentLine_.clear();
    while (currentLine_.empty()) {
        const CScriptFile::Read read = scriptFile_.ReadLine(currentLine_);
        if (read == CScriptFile::Read::kTooLong) {
            lineTooLong_ = true;
            const std::string limit =
                quarv::Cat("<a line of at most ", CScriptFile::kLongestLine, " bytes>");
            SyntaxError("GetNextLine", quarv::Cat("Line ", scriptFile_.LineNumber()), limit,
                        "<a longer line>");
            return 0;
        }
        if (read != CScriptFile::Read::kLine) {
            if (read == CScriptFile::Read::kError) {
                readFailed_ = true;
                log.Trace("GetNextLine: the script could not be read further");
            }
            currentLine_.clear();
            return 0;
        }
        if (log.Tracing()) log.Trace("GetNextLine: ", MaskSecrets(currentLine_));
        std::size_t start = 0;
        while (start < currentLine_.size() && quarv::IsSpace(currentLine_[start]))
            ++start;
        currentLine_.erase(0, start);
        const std::size_t comment = currentLine_.find("//");
        if (comment != std::string::npos) currentLine_.resize(comment);
    }
    currentLineNumber_ = static_cast<int>(scriptFile_.LineNumber());
    expandError_.clear();
    // A line the host refuses stays as written and fails when it runs (RunLine); a skipped
    // line of an if block does not fail.
    ExpandLine(expandError_);
    tokenizer_.SetLine(currentLine_);
    return 1;
}
