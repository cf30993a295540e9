#pragma once
// Office's Click-to-Run installations (2016 and later, and some of 2013):
// the product they report, and the machine-wide values they keep in their
// own view of the registry (HKLM\...\ClickToRun\REGISTRY\MACHINE\...)
// rather than where an installer writes them.
#include <string>

#include "registry/ModReg.h"

namespace qm::app {

// The name of the Outlook a Click-to-Run Office 16.0 installed, by the
// products its configuration reports (ProductReleaseIds): "Outlook 2019",
// "Outlook 2021", "Outlook 2024" or "Outlook for Microsoft 365"; "" when
// there is no such configuration or it names none of them (an Office 2016).
std::string ClickToRunOutlookName(const registry::ModReg& reg);
// The same for a list of product ids as the configuration keeps it
// ("O365ProPlusRetail,VisioPro2019Retail"); products without Outlook
// (Visio, Project, Home and Student, single applications) are passed over.
std::string OutlookNameOfProducts(const std::string& productReleaseIds);

// A machine-wide string value of Office (`subKey` below HKEY_LOCAL_MACHINE,
// "SOFTWARE\Microsoft\Shared Tools"): where the installed Outlook's view of
// the registry holds it, else, for 2013 and later, in Click-to-Run's own
// view (the 32-bit Office's part first when Click-to-Run says it is
// 32-bit). "Error" when neither holds it.
std::string OfficeMachineString(const std::string& outlookVersion, const std::string& subKey,
                                const std::string& valueName, const registry::ModReg& reg);

// Where Click-to-Run keeps its configuration and its view of the machine
// for a version ("" for a version it does not install).
std::string ClickToRunKeyFor(const std::string& outlookVersion);

}  // namespace qm::app
