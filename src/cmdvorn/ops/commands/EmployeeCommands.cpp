#include "EmployeeCommands.h"

#include "EMPHLP_C.h"
#include "EmployeeStatusLine.h"
#include "JobOutcome.h"
#include "ProgressScope.h"
#include "RecordExchange.h"
#include "LittleEndian.h"
#include "VersionReport.h"
#include "Vorn.h"
#include "zFile.h"

#include <cstdio>

namespace {

constexpr int kMemoryParametersSize = 30;
constexpr int kFormatByte = 24;
constexpr int kAssumedCount = 500;
constexpr const char* kEmployeeSection = "[Anagrafiche]";
constexpr const char* kReceivedFile = "DUMMY.EMP";

zString employeeFileName(CMDARG_C& job) {
    const zString& runWide = job.run->settings().employees.fileName;
    return runWide.isEmpty() ? job.terminal->employeeFile() : runWide;
}

bool parameter(CMDARG_C& job, std::string_view section, const char* key, zString& value) {
    return job.run->parameters().getValue(section, key, value);
}

// EMP_MODE when set; else the model decides, and a VORN2 names its format.
EmployeeFormat formatOf(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    switch (terminal.employeeMode()) {
        case 1: return EmployeeFormat::EM;
        case 2: return EmployeeFormat::UM;
        case 3: return EmployeeFormat::US;
        default: break;
    }
    TerminalModel model = terminal.model();
    if (model == TerminalModel::Vorn3 || model == TerminalModel::VornL) return EmployeeFormat::US;
    if (model != TerminalModel::Vorn2) return EmployeeFormat::EM;
    std::uint8_t reply[kMemoryParametersSize] = {};
    TelegramCommand query("MP,GE", TelegramCommand::ReceiveData, reply, sizeof reply);
    if (!terminal.sendCommand(query)) return EmployeeFormat::EM;
    switch (reply[kFormatByte]) {
        case 0: return EmployeeFormat::US;
        case 2: return EmployeeFormat::UM;
        default: return EmployeeFormat::EM;
    }
}

// COMPANY of the terminal's section, else of [Anagrafiche]; 0 when neither
// names a company (a value that is no company code is not used).
int substituteCompany(CMDARG_C& job) {
    zString terminalSection = sectionHeader(job.terminal->name());
    zString value;
    zString section = terminalSection;
    if (!parameter(job, terminalSection, "COMPANY", value) || value.toLong() == 0) {
        section = kEmployeeSection;
        if (!parameter(job, section, "COMPANY", value)) return 0;
    }
    long company = value.toLong();
    if (company <= 0 || company > 255) return 0;
    zString detail = zString::format("Sezione %s, COMPANY=%s", section.c_str(), value.c_str());
    job.run->log().log("%s Sostituzione Cd. Azienda: %s", labelOf(job), detail.c_str());
    return static_cast<int>(company);
}

bool isSkipped(const zString& line) { return line.isEmpty() || line[0] == '#'; }

// The employee file, opened for reading; a missing file is created empty.
bool openEmployeeFile(CMDARG_C& job, zFile& file) {
    if (file.open() && file.seekStart()) return true;
    job.result = RunError::FileOpen;
    job.run->log().log("%s Error open file %s", labelOf(job), file.path().c_str());
    return false;
}

int countLines(zFile& file) {
    int n = 0;
    zString line;
    while (file.readLineString(line))
        if (!isSkipped(line.trim())) ++n;
    file.seekStart();
    return n;
}

// Reports a line the terminal must not receive; the upload goes on.
void rejectLine(CMDARG_C& job, const char* what, const char* why, const zString& line) {
    job.run->reportError(RunError::ParameterMissing, job.terminal, what, why);
    job.run->log().log("Riga:%.255s", line.c_str());
}

// Reads the employee file line by line and hands each employee meant for
// this terminal to `send`, which returns false to stop. False when a line
// cannot be read as an employee.
template <class Send>
bool forEachEmployee(CMDARG_C& job, zFile& file, bool onlyThisTerminal, int company, Send send) {
    LINE_FORMAT layout;
    loadLayout(job.run->parameters(), kEmployeeSection, layout, job.run->log());
    EMPHLP_C helper(layout, job.run->log());
    zString line;
    while (file.readLineString(line)) {
        if (isSkipped(line.trim())) continue;
        EmployeeData employee;
        if (!helper.parseLine(line, employee)) {
            job.result = RunError::ParameterMissing;
            return false;
        }
        if (onlyThisTerminal && employee.terminal != 0 && employee.terminal != job.terminal->terminalNumber())
            continue;
        if (company != 0) employee.company = static_cast<std::uint8_t>(company);
        if (!send(employee, line)) break;
    }
    return true;
}

bool uploadEmployees(CMDARG_C& job, bool onlyThisTerminal) {
    Vorn& terminal = *job.terminal;
    RunContext& run = *job.run;
    zFile file(employeeFileName(job));
    if (!openEmployeeFile(job, file)) return false;

    int lines = countLines(file);
    int company = substituteCompany(job);
    zString caption = zString::format("%s Invio %d Anagr.", labelOf(job), lines);
    run.log().log("%s", caption.c_str());
    ProgressScope progress(job, caption.c_str(), lines, "Anagrafica:");

    EmployeeFormat format = formatOf(job);
    char storeText[8];
    std::snprintf(storeText, sizeof storeText, "%s,SE", EMPHLP_C::objectName(format));
    std::uint8_t record[EMPHLP_C::kMaxRecordSize];
    int sent = 0;
    terminal.sendOn();

    bool whole = forEachEmployee(job, file, onlyThisTerminal, company, [&](const EmployeeData& e, const zString& line) {
        if (e.company == 0) {
            rejectLine(job, "Cod Azienda", "= 0", line);
            return true;
        }
        if (e.employee == 0) {
            rejectLine(job, "Matricola", "= 0", line);
            return true;
        }
        if (format == EmployeeFormat::EM && e.name[0] == '\0') {
            rejectLine(job, "Nome dipendente", "=blank", line);
            return true;
        }
        int size = EMPHLP_C::encode(format, e, record);
        TelegramCommand store(storeText, TelegramCommand::SendData, record, size);
        if (!terminal.sendCommand(store)) return failWithStatus(job);
        ++sent;
        progress.advance(sent);
        return !progress.stopped();
    });

    file.close();
    progress.close();
    terminal.sendOff();
    job.count += sent;
    logAndShow(job, "%s %d anagrafiche inviate", labelOf(job), sent);
    return whole && job.result == RunError::None;
}

// The stored count: "MP,GE" on a VORN2, "EM,CO" on a VORN-L, the version
// record elsewhere. False after a failed exchange.
bool employeeCount(CMDARG_C& job, int& count) {
    Vorn& terminal = *job.terminal;
    TerminalModel model = terminal.model();
    if (model == TerminalModel::Vorn2 || model == TerminalModel::VornL) {
        std::uint8_t reply[kMemoryParametersSize] = {};
        TelegramCommand command(model == TerminalModel::Vorn2 ? "MP,GE" : "EM,CO", TelegramCommand::ReceiveData, reply,
                                model == TerminalModel::Vorn2 ? kMemoryParametersSize : 2);
        if (!terminal.sendCommand(command)) return false;
        count = getLe16(reply);
        return true;
    }
    unsigned char record[VersionRecord::kSize] = {};
    TelegramCommand command("VE", TelegramCommand::ReceiveData, record, VersionRecord::kSize);
    if (!terminal.sendCommand(command)) return false;
    count = VersionRecord::decode(record).emp;
    return true;
}

}  // namespace

void uploadAssociatedEmployeesCommand(CMDARG_C& job) {
    uploadEmployees(job, true);
}

void uploadAllEmployeesCommand(CMDARG_C& job) {
    uploadEmployees(job, false);
}

void uploadPersonalDataCommand(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    zFile file(employeeFileName(job));
    if (!openEmployeeFile(job, file)) return;
    int company = substituteCompany(job);
    std::uint8_t record[EMPHLP_C::kPersonalSize];
    int sent = 0;
    terminal.sendOn();
    forEachEmployee(job, file, true, company, [&](const EmployeeData& e, const zString&) {
        EMPHLP_C::encodePersonal(e, record);
        TelegramCommand store("EM,SD", TelegramCommand::SendData, record, sizeof record);
        if (!terminal.sendCommand(store)) return failWithStatus(job);
        ++sent;
        return !interrupted(job);
    });
    file.close();
    job.count += sent;
    job.run->log().log("%s %d informazioni inviati", labelOf(job), sent);
}

void receiveEmployeesCommand(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    RunContext& run = *job.run;
    int count = 0;
    const bool assumed = !employeeCount(job, count);
    if (assumed) count = kAssumedCount;
    EmployeeFormat format = formatOf(job);
    const char* object = EMPHLP_C::objectName(format);
    const bool byIndex = format == EmployeeFormat::US;

    run.info().line("Ric. Anagrafiche da: %s", labelOf(job));
    ProgressScope progress(job, zString::format("Ric. Anagrafiche da: %s", labelOf(job)).c_str(), count,
                           "Ric. anagrafiche");
    if (count > 1) terminal.sendOn();

    zFile out(zString::format("%s/%s", run.state().dataDirectory.c_str(), kReceivedFile));
    std::uint8_t record[EMPHLP_C::kMaxRecordSize] = {};
    char text[24];
    RunError failure = RunError::None;
    auto request = [&](int index) {
        if (byIndex)
            std::snprintf(text, sizeof text, "US,GI,%x", static_cast<unsigned>(index));
        else
            std::snprintf(text, sizeof text, "%s,%s,0", object, index == 0 ? "GF" : "GN");
        TelegramCommand command(text, TelegramCommand::ReceiveData, record, EMPHLP_C::recordSize(format));
        failure = terminal.sendCommand(command) ? checkFetched(terminal, text, record, command.dataLength)
                                                : terminal.statusCode();
        return failure == RunError::None;
    };

    int written = 0;
    // A terminal asked past its last employee answers with a warning, so
    // nothing is asked beyond the count.
    bool answered = count > 0 && request(0);
    for (int i = 1; i <= count; ++i) {
        if (!answered) {
            if (i == 1 && failure == RunError::TerminalWarning) {
                run.reportError(RunError::TerminalWarning, &terminal, "Nessuna Anagr.");
                terminal.clearStatus();
                job.result = RunError::None;
            } else if (assumed && failure == RunError::TerminalWarning) {
                // Without a count the warning is the end of the list.
                terminal.clearStatus();
            } else {
                job.result = failure;
            }
            break;
        }
        EmployeeData employee;
        if (!EMPHLP_C::decode(format, record, employee)) {
            failJob(job, RunError::BadCrc, text);
            break;
        }
        zString line = EMPHLP_C::receivedLine(format, employee, terminal.terminalNumber());
        run.info().line("%s", line.c_str());
        if (!out.isOpen() && !(out.open() && out.seekEnd())) {
            failJob(job, RunError::FileOpen, out.path().c_str(), out.errorText().c_str());
            break;
        }
        if (!out.writeString(zString::format("%s\n", line.c_str()).c_str())) {
            failJob(job, RunError::FileWrite, out.path().c_str(), out.errorText().c_str());
            break;
        }
        ++written;
        progress.advance(i);
        if (progress.stopped()) break;
        if (i < count) answered = request(i);
    }
    out.close();
    progress.close();
    terminal.sendOff();
    job.count += written;
    logAndShow(job, "%s %d anagrafiche ricevute", labelOf(job), written);
}

void employeeInformationCommand(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    InfoOutput& info = job.run->info();
    // One record per stored employee: the terminal's count bounds the list
    // however long it goes on answering.
    int count = 0;
    const int limit = employeeCount(job, count) ? count : kMaxEmployeeInformation;
    TelegramCommand reset("EI,RI");
    if (!terminal.sendCommand(reset)) {
        failWithStatus(job);
        return;
    }
    info.line("=== Ric. Informazioni su Dipendenti da: %s", labelOf(job));

    std::uint8_t record[EmployeeStatusRecord::kSize] = {};
    TelegramCommand first("EI,GF,0", TelegramCommand::ReceiveData, record, sizeof record);
    if (!terminal.sendCommand(first)) {
        failWithStatus(job);
        return;
    }
    for (int shown = 1;; ++shown) {
        // A reply without the whole record would show an invented employee.
        if (RunError bad = checkFetched(terminal, shown == 1 ? "EI,GF,0" : "EI,GN,0", record, sizeof record);
            bad != RunError::None) {
            failJob(job, bad);
            return;
        }
        ++job.count;
        showEmployeeStatus(info, EmployeeStatusRecord::decode(record));
        if (interrupted(job)) return;
        if (shown >= limit) return;
        TelegramCommand next("EI,GN,0", TelegramCommand::ReceiveData, record, sizeof record);
        if (!terminal.sendCommand(next)) break;
    }
    // The failed request is how the terminal says the list is over.
    terminal.clearStatus();
}

void deleteEmployeesCommand(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    EmployeeFormat format = formatOf(job);
    char text[16];
    std::snprintf(text, sizeof text, format == EmployeeFormat::EM ? "%s,%s,*,*" : "%s,%s,*",
                  EMPHLP_C::objectName(format), "DE");
    TelegramCommand del(text);
    if (!terminal.sendCommand(del)) {
        job.run->log().log("%s Errore cancellazione anagrafiche", labelOf(job));
        failWithStatus(job);
        return;
    }
    ++job.count;
    job.run->log().log("%s Anagrafiche cancellate", labelOf(job));
}

void countEmployeesCommand(CMDARG_C& job) {
    int count = 0;
    if (!employeeCount(job, count)) {
        failWithStatus(job);
        return;
    }
    job.count = count;
    logAndShow(job, "%s Num. anagr.= %d", labelOf(job), count);
}
