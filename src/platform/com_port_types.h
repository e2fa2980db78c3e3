#pragma once

#include <cstdint>
#include <stdexcept>

namespace kv {

// Port speeds in table order; brCustom uses the port's custom rate.
enum TBaudRate {
  brCustom,
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000
};
// Bits per second of a table speed (0 for brCustom).
uint32_t BaudRateValue(TBaudRate rate);

enum TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TParityBits { prNone, prOdd, prEven, prMark, prSpace };

struct TComParity {
  TParityBits Bits = prNone;
  bool Check = false;  // check parity of received bytes
};

enum TComEvent {
  evRxChar,
  evTxEmpty,
  evRxFlag,
  evRing,
  evBreak,
  evCTS,
  evDSR,
  evError,
  evRLSD,
  evRx80Full
};
// A set of events: bit (1 << event).
using TComEvents = uint16_t;
constexpr TComEvents ComEventBit(TComEvent event) {
  return TComEvents(1u << event);
}
constexpr TComEvents kAllComEvents = 0x3FF;

enum TSyncMethod { smThreadSync, smWindowSync, smNone };

// Line states: the system's modem status bits 0x10..0x80 shifted right by four.
enum TComSignal : uint8_t { csCTS = 0x01, csDSR = 0x02, csRing = 0x04, csRLSD = 0x08 };
using TComSignals = uint8_t;

struct TComBuffer {
  int InputSize = 1024;
  int OutputSize = 1024;
};

enum TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };

struct TComFlowControl {
  TDTRFlowControl ControlDTR = dtrDisable;
  TRTSFlowControl ControlRTS = rtsDisable;
  bool OutCTSFlow = false;
  bool OutDSRFlow = false;
  bool XonXoffOut = false;
  bool XonXoffIn = false;
  bool DSRSensitivity = false;
  bool TxContinueOnXoff = false;
  uint8_t XonChar = 17;
  uint8_t XoffChar = 19;
};

// Milliseconds. -1 (all bits set) is the largest value; a read with ReadInterval -1 and both
// read totals 0 returns at once with what is queued.
struct TComTimeouts {
  int32_t ReadInterval = -1;
  int32_t ReadTotalMultiplier = 0;
  int32_t ReadTotalConstant = 0;
  int32_t WriteTotalMultiplier = 100;
  int32_t WriteTotalConstant = 1000;
  bool operator==(const TComTimeouts&) const = default;
};

// What the backend needs to set up the line (applied as one group).
struct ComLineSettings {
  uint32_t baud = 9600;  // bits per second
  TDataBits data_bits = dbEight;
  TStopBits stop_bits = sbOneStopBit;
  TComParity parity;
  TComFlowControl flow;
  TComBuffer buffer;  // the XON/XOFF limits are a quarter of the input size
};

// Error codes of EComPort.
enum ComErrorCode {
  kComOpenFailed = 1,
  kComWriteFailed = 2,
  kComReadFailed = 3,
  kComInvalidAsync = 4,
  kComPurgeFailed = 5,
  kComAsyncStatusFailed = 6,
  kComSetStateFailed = 7,
  kComSetTimeoutsFailed = 8,
  kComSetupFailed = 9,
  kComStatusFailed = 10,
  kComModemStatusFailed = 11,
  kComEscapeFailed = 12,
  kComConnectedProperty = 14,
  kComPortListFailed = 23,
};

// The error the serial layer raises: a code of the table above and the operating system's
// error number (errno here). The text is the code's message followed by
// " (win error code: N)".
class EComPort : public std::runtime_error {
 public:
  EComPort(int code, int os_error);
  int Code() const { return code_; }
  int WinCode() const { return os_error_; }
  // The bare message of a code ("Unable to open com port"), empty for an unknown code.
  static const char* Message(int code);

 private:
  int code_;
  int os_error_;
};

}  // namespace kv
