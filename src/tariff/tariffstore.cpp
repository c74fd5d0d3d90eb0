#include "tariff/tariffstore.h"

int LoadTariff(TariffRecord&, const std::string&, const LocalTime&, const std::string&) { return -1; }
int SaveTariff(const TariffRecord&, const std::string&, const std::string&) { return 0; }
int LoadTariffTable(std::int64_t, TariffTable&) { return -1; }
int LoadTariffTable(std::int64_t, std::int32_t&, std::vector<TariffRecord>&, TariffRecord&) { return -1; }
int SaveTariffTable(const TariffTable&) { return -1; }
int SaveTariffTable(std::int32_t, const std::vector<TariffRecord>&, const TariffRecord&) { return -1; }
int CreateIspTariff(TariffRecord&, const LocalTime&) { return -1; }
int FindIspByRasName(const std::string&, std::int32_t&) { return -1; }
int SetIspRasName(std::int32_t, const std::string&) { return 0; }
int DeleteRasName(const std::string&, const std::string&) { return 0; }
IspList BuildIspList(bool) { return {}; }
