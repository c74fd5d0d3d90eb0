// Tariffs in the settings file: one section per tariff ("ISP%d" and Phone),
// the whole table in ActiveIDs order, and the small look-ups other parts of
// the program make (ISP by RAS name, the ISP chooser's items).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/localtime.h"
#include "tariff/tariff.h"

// Values are read through buffers of this many characters (511 seen).
constexpr int TARIFF_VALUE_BUFFER = 512;

// Reads one section into the record (which should be empty) and computes its
// billing period for the reference. Bad values take their defaults. -1 only
// when memory runs out, or a count or the whole load would take more memory
// than any real tariff (error 105 reported); the record then holds what was
// read so far.
int LoadTariff(TariffRecord& record, const std::string& section, const LocalTime& reference, const std::string& file);

// Writes every key of the section from the record. Schedule keys just past a
// day's last entry are deleted so an older, longer schedule cannot come back.
// 0, or -1 when a write failed (error 115) or memory ran out (105).
int SaveTariff(const TariffRecord& record, const std::string& section, const std::string& file);

// Loads every ISP of ActiveIDs (creating one when the list is empty) and the
// Phone record, for the billing periods that contain the reference instant.
// 0, or -1 with the error reported and the table left empty.
int LoadTariffTable(std::int64_t reference, TariffTable& table);
int LoadTariffTable(std::int64_t reference, std::int32_t& count, std::vector<TariffRecord>& isps, TariffRecord& phone);

// Writes the Phone section, every ISP section and the ISP lists; numbers that
// left ActiveIDs move to ReservedIDs. 0, or -1 (reported; nothing written
// when the lists could not be read).
int SaveTariffTable(const TariffTable& table);
int SaveTariffTable(std::int32_t count, const std::vector<TariffRecord>& isps, const TariffRecord& phone);

// Gives an empty record a new ISP number and the default tariff. 0, or -1
// (error 105 or 118 reported).
int CreateIspTariff(TariffRecord& record, const LocalTime& reference);

// The ISP whose RasName (or, without one, Description) equals the name
// exactly. 0 with ispId set, or -1 (no match, or the table did not load).
int FindIspByRasName(const std::string& name, std::int32_t& ispId);

// Writes RasName of section "ISP%d"; an empty name deletes the key.
int SetIspRasName(std::int32_t ispId, const std::string& name);
// Deletes the RasName key of a section.
int DeleteRasName(const std::string& section, const std::string& file);

// The data of the ISP chooser: descriptions and numbers in table order and
// the index of the item to select (the default ISP, else the first).
struct IspListItem {
    std::string description;
    std::int32_t ispId = 0;
};

struct IspList {
    std::vector<IspListItem> items;
    int selected = 0;
};

// Loads the table for the current time and lists its ISPs. When loading fails
// the list holds the single item "ISP1" (number 1). With quiet set, errors are
// logged without a box.
IspList BuildIspList(bool quiet);
