#pragma once

#include <QString>

#include "report/report.h"

namespace quilmo {

// The templates the till ships, by their file names in <program folder>/SysFile/.
inline constexpr char kReceiptTemplate[] = "QTPrint.frf";  // the customer receipt
inline constexpr char kShiftTemplate[] = "QTOver.frf";     // the shift report

// <program folder>/SysFile/<name>
QString TemplatePath(const QString& program_folder, const QString& name);

// The shipped text of a template, or an empty text for a name the till does not ship.
QString ShippedTemplate(const QString& name);

// Writes every shipped template that <program folder>/SysFile/ lacks; a template the shop has
// edited is never replaced. Returns false with a reason when one could not be written.
bool InstallShippedTemplates(const QString& program_folder, QString* error = nullptr);

// Loads a template of the program folder into the report. A file that is missing (removed after
// start-up) gives the shipped template, so a report never prints as an empty page; the report
// keeps the file's path, so the designer saves where the file belongs.
void LoadTemplateOrShipped(Report& report, const QString& program_folder, const QString& name);

}  // namespace quilmo
