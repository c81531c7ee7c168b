#pragma once
// The report line of one employee's last passage, shown by the ten latest
// transactions and by the employee information.
#include "InfoOutput.h"
#include "TransactionRecords.h"

void showEmployeeStatus(InfoOutput& info, const EmployeeStatusRecord& record);
