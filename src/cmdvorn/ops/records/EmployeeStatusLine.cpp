#include "EmployeeStatusLine.h"

void showEmployeeStatus(InfoOutput& info, const EmployeeStatusRecord& r) {
    char kind = kindLetter(r.kind());
    if (kind == 'N') {
        info.line("%d %lu %20.20s \t mai timbrato", r.company, static_cast<unsigned long>(r.employee), r.name);
        return;
    }
    CalendarRecord c = r.lastPassage.toCalendar();
    info.line("%d %lu %20.20s %02d/%02d/%02d %02d:%02d:%02d %c %c", r.company, static_cast<unsigned long>(r.employee),
              r.name, c.day, c.month, c.fullYear() % 100, c.hour, c.minute, c.second, r.isIn() ? 'I' : 'U', kind);
}
