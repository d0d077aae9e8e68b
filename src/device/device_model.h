#pragma once
// The simulated transmitter's device state: everything the device keeps in
// its memory (identification, HART settings, the six sensor channels and
// loop outputs, display, special functions, diagnostics, counters, trims),
// and what the device knows about its sensor types and units. The state is
// plain data; the protocol (device_documents, device_writes) reads and
// changes it, the process simulation measures against it.
//
// Units: every range value, limit and minimum span of a channel is held in
// that channel's unit; the recorded extremes in the base unit of their
// input kind (degrees Celsius for temperatures); currents in mA.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace zolin6::device {

// The transmitter's shape: six sensor channels, each with its own 4-20 mA
// output.
inline constexpr int kChannels = 6;

// HART unit codes the transmitter uses.
inline constexpr int kUnitDegC = 32;
inline constexpr int kUnitDegF = 33;
inline constexpr int kUnitDegR = 34;
inline constexpr int kUnitKelvin = 35;
inline constexpr int kUnitMillivolt = 36;
inline constexpr int kUnitOhm = 37;
inline constexpr int kUnitMilliamp = 39;
inline constexpr int kUnitPercent = 57;
inline constexpr int kUnitNotUsed = 250;

// What a sensor input measures.
enum class InputKind { Temperature, Millivolt, Resistance, Current };

// A sensor type the transmitter supports, with its measuring limits and the
// smallest span it can range, in the base unit of its kind.
struct SensorTypeInfo {
  int code;            // HART sensor type code (12 is "Pt 100 IEC")
  InputKind kind;      // what the input measures
  float lowerLimit;    // lowest measurable value, base unit
  float upperLimit;    // highest measurable value, base unit
  float minSpan;       // smallest upper-minus-lower range, base unit
  float defaultLower;  // lower range value after a change to this type, base unit
  float defaultUpper;  // upper range value after a change to this type, base unit
};

// The type with this code, or nullptr for a code the device does not know.
const SensorTypeInfo* FindSensorType(int code);

// The kind a unit belongs to; nullopt for a unit the sensors cannot use.
std::optional<InputKind> UnitKind(int unit);
// The unit the device falls back to for a kind: °C, mV, Ohm, mA.
int BaseUnit(InputKind kind);
// Whether a channel with sensor type `type` can show its values in `unit`.
bool UnitFitsSensor(int unit, int type);
// Converts a value between two units of the same kind (°C, °F, °R, K are
// one kind; the others convert only to themselves).
double ConvertValue(double value, int from, int to);
// Converts a difference (a span) between two units of the same kind.
double ConvertSpan(double span, int from, int to);

// One sensor input channel.
struct SensorChannel {
  int type = 12;                 // sensor type code
  int connection = 3;            // connection / channel function code (2 "Two wires" .. 9 "Average")
  int coldJunction = 250;        // cold junction code: 1 internal, 2 fixed, 250 not used
  int unit = kUnitDegC;          // unit of every value below
  float upperRangeLimit = 850;   // highest measurable value
  float lowerRangeLimit = -200;  // lowest measurable value
  float upperRangeValue = 100;   // value shown as 100 % (20 mA)
  float lowerRangeValue = 0;     // value shown as 0 % (4 mA)
  float minSpan = 10;            // smallest allowed upper-minus-lower range
  // Sensor trim: reading = trimGain * input + trimOffset, in the base unit.
  float trimGain = 1;
  float trimOffset = 0;
  bool lowerTrimDone = false;  // a lower trim point is recorded
  float lowerTrimInput = 0;    // the input at the lower trim, base unit
  float lowerTrimValue = 0;    // the value the lower trim set, base unit
};

// One 4-20 mA output.
struct LoopOutput {
  bool fixed = false;      // the current is held (loop test, current trim)
  float fixedCurrent = 0;  // the held current, mA
  // Current trim: the output stage is driven with trimGain * current + trimOffset.
  float trimGain = 1;
  float trimOffset = 0;
  // The output stage's own error, as it left the factory: what reaches the
  // loop is dacGain * drive + dacOffset. Trimming is what corrects it.
  float dacGain = 1;
  float dacOffset = 0;
};

// The identification record and the device's fixed identity.
struct Identification {
  std::string tag = "TT-601  ";                             // 8 characters, packed ASCII
  std::string longTag = "ZOLIN-6 TEMPERATURE TRANSMITTER";  // up to 32 characters, one byte each
  std::string descriptor = "SIX CHANNEL TEMP";              // 16 characters, packed ASCII
  std::string message = "SIMULATED TRANSMITTER";            // 32 characters, packed ASCII
  int day = 15;                                             // date of the record: day 1..31
  int month = 3;                                            // month 1..12
  int year = 2006;                                          // year, four digits
  int pollingAddress = 0;                                   // HART polling address 0..63
  std::uint32_t finalAssembly = 4096;                       // final assembly number, 24 bits
  std::uint32_t serialNumber = 123456;                      // device serial number, 24 bits
  std::string orderingCode = "ZOLIN-6-H-T6-000";            // up to 24 characters, one byte each
  int manufacturerId = 24593;                               // the maker's HART manufacturer id
  int deviceType = 58113;                                   // the model's HART device type
  int deviceProfile = 1;                                    // HART device profile (process automation device)
  int privateLabel = 24593;                                 // private label distributor
  int universalRevision = 7;                                // HART universal revision
  int transmitterRevision = 1;                              // device revision
  int hardwareRevision = 8;    // bits 7..3 hardware revision 1, bits 2..0 physical signal 0 (Bell 202 current)
  int softwareVersion = 0x12;  // shown as 1.2
};

// The Callendar-Van Dusen sensor, the sensor temperature alarm limits and
// the damping, one set for the device ("Sensor Others").
struct SensorParameters {
  float highLimit = 850;       // sensor temperature high alarm limit, in `unit`
  float lowLimit = -200;       // sensor temperature low alarm limit, in `unit`
  int unit = kUnitDegC;        // unit of the two limits
  float coeffA = 3.9083e-3F;   // Callendar-Van Dusen A
  float coeffB = -5.775e-7F;   // Callendar-Van Dusen B
  float coeffC = -4.183e-12F;  // Callendar-Van Dusen C
  float coeffR0 = 100;         // Callendar-Van Dusen R0, Ohm
  float damping = 1;           // measurement damping time constant, s
};

// A recorded extreme; an extreme that was never recorded reads as the
// device's unrecorded marks, 5000 for a minimum and -5000 for a maximum.
struct Extreme {
  bool recorded = false;
  float value = 0;  // base unit (°C for temperatures)
};

// Indices of the fourteen change counters, in the order the diagnosis page
// lists them.
enum ChangeCounter {
  kChangeSensorRange,
  kChangeSensorTrim,
  kChangeSensorConfig,
  kChangeSensorUnit,
  kChangeSensorDamping,
  kChangeSensorCjunct,
  kChangeCurrentTrim,
  kChangeTempTrim,
  kChangeTempUnit,
  kChangeSoftWprotect,
  kChangeDspVar,
  kChangeFailSafe,
  kChangeMultidrop,
  kChangeVanDusen,
  kChangeCounterCount
};

// One burst message: a reply the device publishes on its own, unasked.
inline constexpr int kBurstMessages = 3;
inline constexpr int kBurstSlots = 8;
enum BurstTrigger { kTriggerContinuous, kTriggerWindow, kTriggerRising, kTriggerFalling, kTriggerOnChange };
struct BurstMessage {
  int control = 0;                                                         // 0 off, 1 published on the line
  int command = 9;                                                         // 1, 2, 3, 9 or 48
  std::array<int, kBurstSlots> variables{0, 1, 2, 3, 250, 250, 250, 250};  // command 9's variable codes
  std::uint32_t updatePeriod = 32000;    // 1/32 ms: every second while the trigger holds
  std::uint32_t maxPeriod = 60 * 32000;  // 1/32 ms: at least this often whatever the trigger
  int triggerMode = kTriggerContinuous;  // BurstTrigger
  int triggerClass = 0;                  // classification of the level; 0 for continuous
  int triggerUnits = 250;                // units of the level
  float triggerLevel = 0;
};

struct DeviceState {
  Identification identification;
  // HART settings.
  int requestPreambles = 5;   // preambles the device expects, 5..20
  int responsePreambles = 5;  // preambles the device sends, 5..20
  int writeProtect = 0;       // 0 disabled, 1 enabled
  int loopCurrentMode = 1;    // 1: the loop current signals PV; 0: held at 4 mA
  int loopAlarm = 0;          // fault current: 0 high (21.75 mA), 1 low (3.6 mA)
  std::array<SensorChannel, kChannels> channels;
  SensorParameters sensorParameters;
  std::array<LoopOutput, kChannels> outputs;
  int localTempUnit = kUnitDegC;                   // unit of the device's own temperature
  std::array<int, 6> displays{0, 1, 2, 3, 4, 12};  // display variable codes of the six lines
  int backupMode = 0;                              // 1: PV takes the backup sensor when sensor 1 fails
  int backupSensor = 1;                            // backup sensor, 1..5 for sensors 2..6
  int averageMode = 0;                             // 1: PV is the average of sensor 1 and the backup sensor
  int sensorMaxMin = 1;                            // 1: sensor 1's extremes are recorded
  int tempMaxMin = 1;                              // 1: the device temperature's extremes are recorded
  Extreme sensorMin, sensorMax;                    // sensor 1, base unit of its kind
  Extreme localMin, localMax;                      // device temperature, °C
  std::array<int, kChangeCounterCount> changeCounters{};
  int configChangeCounter = 0;  // raised by every accepted configuration write, 16 bits
  bool configChanged = false;   // "Configuration Changed" status bit
  bool coldStart = true;        // "Cold Start" status bit, until reported once
  float localTempOffset = 0;    // temperature trim of the device temperature, °C
  float factoryTrimOhm = 0;     // last factory trim reference, resistance input, Ohm
  float factoryTrimMv = 0;      // last factory trim reference, millivolt input, mV
  // Status bits forced from outside (`sim set`), added to the computed ones.
  int forcedDeviceStatus = 0;
  int forcedDiagStatus = 0;
  int forcedDiagStatusByte1 = 0;
  std::array<BurstMessage, kBurstMessages> bursts{};
};

// The device as it leaves the factory: six channels with a mix of
// resistance thermometers and thermocouples.
DeviceState FactoryState();

// Puts the configuration back to the factory's (what "Restore Default"
// does): identification, counters and the output stage's own error stay.
void RestoreFactoryConfiguration(DeviceState& state);

// Changes a channel's unit, converting its range values, limits and span.
void ChangeChannelUnit(SensorChannel& channel, int unit);

// Changes a channel's sensor type: limits, span and range become the new
// type's, in the channel's unit when it fits the type, else in the type's
// base unit. Trims recorded for the old sensor are dropped.
void ChangeSensorType(SensorChannel& channel, int type);

}  // namespace zolin6::device
