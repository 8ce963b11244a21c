// trans_command.cpp: `qor trans`: what the undo journal beside a transactional file says (header,
// records, whether it is complete and what opening the file would do), and the roll-back that
// opening runs, on demand.
#include "QorToolCommand.h"

#include "QorFileTrans.h"
#include "QorFileTransJournal.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

namespace qor::tool {

namespace {

using qor::trans::GetLittleEndian;
using qor::trans::kJournalHeaderSize;
using qor::trans::kRecordHeadSize;

std::string JournalOf(const std::string &file)
{
    CQorFileTrans names;
    names.SetNames(file.c_str());
    return names.GetJournalName();
}

// What a journal holds, read as the roll-back reads it: records one after another until the header's
// length, each checked against what the file holds and against the header's longest record.
struct JournalSummary {
    qor::trans::JournalHeader header;
    size_t size = 0;
    std::string records;  // one line per record
    int count = 0;
    std::string damage;   // empty when a roll-back can read every record
};

JournalSummary Summarise(const std::string &bytes)
{
    JournalSummary summary;
    summary.size = bytes.size();
    const BYTE *data = reinterpret_cast<const BYTE *>(bytes.data());
    summary.header = qor::trans::DecodeHeader(data, (DWORD)bytes.size());
    std::ostringstream lines;
    size_t at = kJournalHeaderSize;
    for (uint64_t counted = summary.header.ulFirstRecord; counted < summary.header.ulJournalLength;) {
        if (at + kRecordHeadSize > bytes.size()) {
            summary.damage = "the journal ends inside the head of record " + std::to_string(summary.count + 1);
            break;
        }
        DWORD offset = GetLittleEndian(data + at), length = GetLittleEndian(data + at + 4);
        lines << "  record " << ++summary.count << ": offset " << offset << ", " << length << " old bytes\n";
        if (length > summary.header.ulMaxBlock)
            summary.damage = "record " + std::to_string(summary.count) + " is longer than the header's longest record";
        else if (at + kRecordHeadSize + length > bytes.size())
            summary.damage = "the journal ends inside the data of record " + std::to_string(summary.count);
        if (!summary.damage.empty())
            break;
        at += kRecordHeadSize + length;
        counted += kRecordHeadSize + (uint64_t)length;
    }
    summary.records = lines.str();
    return summary;
}

// The journal's bytes; false when there is no journal.
bool ReadJournal(const std::string &journal, std::string &bytes)
{
    std::ifstream in(journal, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad())
        throw CommandError("cannot read the journal " + Echo(journal));
    return true;
}

void Info(const std::string &file)
{
    std::string journal = JournalOf(file), bytes;
    if (!ReadJournal(journal, bytes)) {
        std::cout << "journal   " << journal << ": none (no commit was interrupted)\n";
        return;
    }
    JournalSummary summary = Summarise(bytes);
    const auto &header = summary.header;
    std::cout << "journal   " << journal << " (" << summary.size << " bytes)\n"
              << "header    first record " << header.ulFirstRecord << ", original size " << header.ulOrigSize
              << ", journal length " << header.ulJournalLength << ", longest record " << header.ulMaxBlock << "\n";
    if (header.ulJournalLength == 0) {
        std::cout << "state     incomplete: the commit stopped before its journal was complete; opening the file "
                     "deletes the journal and leaves the file as it is\n";
        return;
    }
    std::cout << "records   " << summary.count << "\n" << summary.records;
    if (!summary.damage.empty())
        std::cout << "state     damaged: " << summary.damage << "; opening the file fails and keeps the journal\n";
    else
        std::cout << "state     complete: opening the file writes the old bytes back and sets its size to "
                  << header.ulOrigSize << " bytes\n";
}

void Recover(const std::string &file)
{
    std::string journal = JournalOf(file), bytes;
    if (!ReadJournal(journal, bytes)) {
        std::cout << "nothing to do: " << journal << " does not exist\n";
        return;
    }
    JournalSummary summary = Summarise(bytes);
    CQorFileTrans trans;
    trans.SetNames(file.c_str());
    HRESULT result = trans.Recover();
    if (FAILED(result)) {
        CQorError error(result);
        throw CommandError("cannot roll back " + Echo(file) + " from " + Echo(journal) + ": " + (const char *)error +
                           "; the journal is kept");
    }
    if (result == S_FALSE)
        std::cout << "deleted the incomplete journal " << journal << "; " << file << " was not changed\n";
    else
        std::cout << "rolled back " << summary.count << " record(s) into " << file << ", its size set to "
                  << summary.header.ulOrigSize << " bytes; deleted " << journal << "\n";
}

} // namespace

void AddTransCommand(CLI::App &app)
{
    CLI::App *trans = app.add_subcommand("trans", "The undo journal of a transactional file: show it, roll it back");
    trans->require_subcommand(1);
    auto file = std::make_shared<std::string>();

    CLI::App *info = trans->add_subcommand("info", "Show the journal beside FILE: header, records, completeness");
    info->add_option("file", *file, "The data file (its journal is the name without extension plus .qrn)")->required();
    info->footer("Example:\n  qor trans info accounts.db");
    info->callback([file] { Info(*file); });

    CLI::App *recover = trans->add_subcommand("recover", "Roll FILE back from its journal, as opening it would");
    recover->add_option("file", *file, "The data file")->required();
    recover->footer("A complete journal is rolled back and deleted; an incomplete one is deleted.\nExample:\n"
                    "  qor trans recover accounts.db");
    recover->callback([file] { Recover(*file); });
}

} // namespace qor::tool
