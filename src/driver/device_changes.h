#pragma once
// What the simulated transmitter's writes do to its state, each a rule of
// the device: a sensor's configuration, a range, a fixed current, the
// trims, and the change counters a write raises. Each returns 0 or the
// response code that refuses it (device_writes.h), changing nothing then.

#include "driver/device_model.h"
#include "driver/process_simulation.h"

namespace zolin6::driver {

// A sensor channel's type, connection and cold junction. Thermocouples and
// millivolt inputs have two wires; a channel function (differential,
// maximum, minimum, backup, average) goes with any sensor.
int ConfigureSensor(SensorChannel& channel, int type, int connection, int coldJunction);

// The sensor temperature limits and their unit, as the channel 1 sensor
// write and the copy of the sensor configuration carry them. The page sends
// them whether or not they were ever read, so they are taken only when they
// make a pair of temperature limits; otherwise they are left alone.
void TakeTemperatureLimits(SensorParameters& p, float high, float low, int unit);

// A channel's range in `unit`: the unit must fit the sensor, both values
// lie within the limits, the upper above the lower by at least the
// minimum span.
int SetRange(SensorChannel& channel, int unit, float upper, float lower);

// Holds an output at `current`, or lets it go for a current of 0.
int FixCurrent(const DeviceState& state, LoopOutput& output, bool first, float current);

// Trims an output held at its 4 mA or 20 mA point with the current the
// user measured there. The 4 mA trim moves the whole output; the 20 mA
// trim turns it about the 4 mA point.
int TrimCurrent(LoopOutput& output, float point, float reading);

// Sensor 1's lower (0 %) or upper (100 %) trim: the value the device is to
// read now, in `unit`. The lower trim shifts the reading; the upper one
// turns it about the lower trim point when the input has moved far enough
// from it, and shifts it otherwise.
int TrimSensor(SensorChannel& channel, const ProcessSimulation& process, int unit, float value, bool upper);

// Raises each change counter whose part of the configuration differs.
void CountChanges(const DeviceState& before, DeviceState& after);

}  // namespace zolin6::driver
