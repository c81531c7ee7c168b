#include "RecordWriter.h"

#include "BuiltinLines.h"
#include "LayoutLines.h"

namespace {

// Flags values standing for the records without a flags byte of their own.
constexpr std::uint8_t kJobRecordFlags = 0x80;
constexpr std::uint8_t kExtendedRecordFlags = 0x40;

}  // namespace

RecordWriter::RecordWriter(RecordWriterRun& run, const RunSettings& settings, const ParameterLookup& parameters,
                           WriterTerminal terminal, zLogger& log, ReportError report)
    : run_(run), settings_(settings), parameters_(parameters), terminal_(std::move(terminal)), log_(log),
      report_(std::move(report)) {}

RecordWriter::~RecordWriter() { closeAll(); }

void RecordWriter::loadPunchLayout() {
    if (!run_.punchLayout.hasFields()) loadLayout(parameters_, "[Timbrature]", run_.punchLayout, log_);
}

void RecordWriter::loadJobLayout() {
    if (!run_.jobLayout.hasFields()) loadLayout(parameters_, "[Commesse]", run_.jobLayout, log_);
}

const PRIVATE_FORMAT_C& RecordWriter::ownFields() {
    if (!ownFields_.isLoaded()) ownFields_.load(parameters_, terminal_.section, log_);
    return ownFields_;
}

zFile* RecordWriter::fileFor(std::uint8_t flags) {
    static const zString kDefaultPunchFile("tmb.dat");
    const FileSetting* section = nullptr;
    switch (flags & 0xE0) {
        case 0x20: section = &settings_.access; break;
        case 0x60: section = &settings_.canteen; break;
        case 0x80: section = &settings_.jobs; break;
        default:
            if (!settings_.punches.fileName.isEmpty()) section = &settings_.punches;
            break;
    }
    if (section) return run_.files.get(section->fileName, section->startAfresh, report_);
    if (terminal_.tmbFileName.isEmpty()) return run_.files.get(kDefaultPunchFile, false, report_);
    return run_.files.get(terminal_.tmbFileName, terminal_.tmbStartAfresh, report_);
}

bool RecordWriter::writeTransaction(const TransactionRecord& record) {
    zFile* file = fileFor(record.flags);
    if (!file) return false;
    bool job = record.kind() == TransactionKind::Job;
    const LINE_FORMAT& layout = job ? run_.jobLayout : run_.punchLayout;
    if (layout.hasFields())
        composeLayoutLine(layout, record, ownFields(), line_);
    else if (job)
        composeJobPunchLine(record, line_);
    else
        composePunchLine(record, line_);
    return store(*file);
}

bool RecordWriter::writeJob(const JobRecord& record) {
    zFile* file = fileFor(kJobRecordFlags);
    if (!file) return false;
    if (run_.jobLayout.hasFields())
        composeLayoutLine(run_.jobLayout, record, ownFields(), line_);
    else
        composeJobRecordLine(record, line_);
    return store(*file);
}

bool RecordWriter::writeExtended(const ExtendedRecord& record) {
    zFile* file = fileFor(kExtendedRecordFlags);
    if (!file) return false;
    composeExtendedLine(record, line_);
    return store(*file);
}

bool RecordWriter::store(zFile& file) {
    if (!writeLineTo(file)) return false;
    if (!settings_.punches.backup.isEmpty()) {
        zFile* backup = run_.files.get(settings_.punches.backup, false, report_);
        if (!backup || !writeLineTo(*backup)) return false;
    }
    ++saved_;
    return true;
}

// Each line is handed to the system at once, so that a full disk shows up
// with the record that did not fit and that record counts as not saved.
bool RecordWriter::writeLineTo(zFile& file) {
    if (watch_) watch_->appending(file);
    std::size_t written = 0;
    if (file.write(line_.text(), static_cast<std::size_t>(line_.length()), written) && file.flush()) return true;

    zString error = file.errorText();
    report_(RunError::FileWrite, file.path().c_str(), error.c_str());
    log_.log(zLogger::Error, "Write: %s: %s ", file.path().c_str(), error.c_str());
    std::string_view shown = line_.view();
    if (!shown.empty() && shown.back() == '\n') shown.remove_suffix(1);
    log_.log(zLogger::Error, "%s: %.*s", file.path().c_str(), static_cast<int>(shown.size()), shown.data());
    return false;
}

bool RecordWriter::flushAndSync() { return run_.files.flushAndSync(report_); }

void RecordWriter::closeAll() { run_.files.closeAll(); }
