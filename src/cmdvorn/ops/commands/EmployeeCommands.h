#pragma once
// The employee commands: uploads of the employee file (-t to the terminals
// each line names, -es to every selected terminal), the personal texts
// (-ed), the list read back into "DUMMY.EMP" (-ea), the per-employee
// information (-ei), deletion (-k) and count (-yt).
#include "RunContext.h"

// Terminals count their employees in 16 bits, so no information list is
// longer; -ei reads no further when the terminal's count is unknown.
constexpr int kMaxEmployeeInformation = 0xFFFF;

void uploadAssociatedEmployeesCommand(CMDARG_C& job);  // -t
void uploadAllEmployeesCommand(CMDARG_C& job);         // -es
void uploadPersonalDataCommand(CMDARG_C& job);         // -ed
void receiveEmployeesCommand(CMDARG_C& job);           // -ea
void employeeInformationCommand(CMDARG_C& job);        // -ei
void deleteEmployeesCommand(CMDARG_C& job);            // -k
void countEmployeesCommand(CMDARG_C& job);             // -yt
