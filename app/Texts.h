#pragma once
// Every text the bootloader window shows, in one table: history lines, message boxes, task
// dialogs and captions. The window and the upload logic take them from here so that the
// wording stays the same wherever a text is used.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace app::text {

inline constexpr std::string_view BootloaderProductName = "USB HID Bootloader";
inline constexpr std::string_view ApplicationTitle = "Brenvik";

// History lines.
inline constexpr std::string_view AttachDevice = "Attach USB HID device or reset if attached.";
inline constexpr std::string_view UnableToFindDevicePrefix = "Unable to find device: ";
inline constexpr std::string_view WaitingMcuResponse = "Waiting MCU response...";
inline constexpr std::string_view Connected = "Connected.";
inline constexpr std::string_view Disconnected = "Disconnected.";
inline constexpr std::string_view Reset = "Reset...";
inline constexpr std::string_view ErrorDeviceRemoved = "Error: Device removed.";
inline constexpr std::string_view ErrorTimeout = "Error: Timeout waiting for MCU.";
inline constexpr std::string_view NotInBootloaderMode = "USB HID device is not in bootloader mode.";
inline constexpr std::string_view ResetDevice = "Reset device.";
inline constexpr std::string_view DeviceRemoved = "Device removed.";
inline constexpr std::string_view ReenterBootloader = "Reset device to reenter bootloader mode.";
inline constexpr std::string_view ErrorConnectFirst = "Error: Connect first.";
inline constexpr std::string_view FileNotFoundPrefix = "File not found: ";
inline constexpr std::string_view ErrorInvalidMcuType = "Error: Invalid MCU type. Reload HEX file.";
inline constexpr std::string_view OpenedPrefix = "Opened: ";
inline constexpr std::string_view ErrorLoadHexFirst = "Error: Load HEX file first.";
inline constexpr std::string_view ErrorReloadHex = "Error: Reload HEX file.";
inline constexpr std::string_view Uploading = "Uploading:";
inline constexpr std::string_view FlashErase = "Flash Erase...";
inline constexpr std::string_view FlashWrite = "Flash Write...";
inline constexpr std::string_view BootErase = "Boot Erase...";
inline constexpr std::string_view BootWrite = "Boot Write...";
inline constexpr std::string_view CompletedSuccessfully = "Completed successfully.";
inline constexpr std::string_view UploadAborted = "Upload aborted.";
// An upload whose device geometry leaves no consistent plan (for example an application start
// beyond the loaded data) is refused with this line instead of being reported as done.
inline constexpr std::string_view ErrorCannotPlanUpload =
    "Error: Upload cannot be planned for this device layout.";
// An upload that ended by an unexpected failure inside the program: the line names it, and the
// window returns to idle as after a failed upload.
inline constexpr std::string_view ErrorUploadFailed = "Error: Upload failed.";
inline constexpr std::string_view ErrorUploadFailedPrefix = "Error: Upload failed: ";

// Message boxes. CR LF separates the lines of a box.
inline constexpr std::string_view CrcFailedPrefix = "CRC check failed. Invalid CRC at line ";
inline constexpr std::string_view InFileOpen = " in file '";
inline constexpr std::string_view NoDataWillBeLoaded = "'.\r\nNo data will be loaded.";
inline constexpr std::string_view StartAddressPrefix = "Start address of hex input in line '";
inline constexpr std::string_view StartAddressSuffix = "' violates internal flash offset.";
// Malformed records, records beyond the device's flash and files without one byte inside the
// device's address window: error boxes.
inline constexpr std::string_view InvalidRecordPrefix = "Invalid HEX record at line ";
inline constexpr std::string_view BeyondFlashPrefix = "HEX data beyond the device's flash at line ";
inline constexpr std::string_view OutsideWindowPrefix = "HEX file '";
inline constexpr std::string_view OutsideWindowMiddle =
    "' has no data inside the device's address window ";
inline constexpr std::string_view OutsideWindowSuffix = ".\r\nNo data will be loaded.";
inline constexpr std::string_view EmptyWindow = "(empty)";
inline constexpr std::string_view OverBootloaderArea =
    "HEX file contains code over device bootloader area.\r\nThis code will be "
    "ignored.\r\nContinue?";
inline constexpr std::string_view ExceedProgramMemory =
    "HEX file contains code that exceed device program memory.\r\nThis code will be "
    "ignored.\r\nContinue?";
inline constexpr std::string_view ExceedBootSpace =
    "HEX file contains code that exceed available boot space.\r\nThis code will be "
    "ignored.\r\nContinue?";

// Task dialog after an upload.
inline constexpr std::string_view SuccessTitle = "Success";
inline constexpr std::string_view SuccessInstruction = "Restarting MCU...";
inline constexpr std::string_view SuccessContent = "Uploading program completed successfully.";
inline constexpr std::string_view SuccessExpandedSuffix = " finished with success.";
inline constexpr std::string_view AbortTitle = "Abort";
inline constexpr std::string_view AbortInstruction = "User abort...";
inline constexpr std::string_view AbortContent = "Uploading program was stopped by user.";
inline constexpr std::string_view AbortExpandedSuffix = " was stopped by user.";
inline constexpr std::string_view ExpandedPrefix = "Uploading program ";

// Captions.
inline constexpr std::string_view CaptionConnect = "Connect";
inline constexpr std::string_view CaptionWaitingDisconnect = "Waiting... Disconnect";
inline constexpr std::string_view CaptionDisconnect = "Disconnect";
inline constexpr std::string_view CaptionBeginUploading = "Begin uploading";
inline constexpr std::string_view CaptionStopUploading = "Stop uploading";
inline constexpr std::string_view CaptionShowActivity = "Show Activity";
inline constexpr std::string_view CaptionHideActivity = "Hide Activity";
inline constexpr std::string_view VersionPrefix = "Version: ";
inline constexpr std::string_view StatusFilePrefix = ": ";

// Composed texts.
std::string UnableToFindDevice(std::string_view productName);
std::string CrcFailed(int lineIndex, std::string_view fileName);
std::string StartAddressViolation(int lineIndex);
std::string InvalidRecord(int lineIndex, std::string_view fileName);
std::string BeyondFlash(int lineIndex, std::string_view fileName);
// "HEX file '<file>' has no data inside the device's address window <window>." CR LF "No data
// will be loaded."
std::string OutsideWindow(std::string_view fileName, std::string_view window);
// "0x08000000-0x0801FFFF": first and last address, eight upper-case hexadecimal digits each.
std::string AddressRange(std::uint64_t first, std::uint64_t last);
// "Uploading program "<file>" finished with success." and its abort twin.
std::string SuccessExpanded(std::string_view fileName);
std::string AbortExpanded(std::string_view fileName);
// "Error: Upload failed: <reason>." or, without a reason, "Error: Upload failed.".
std::string UploadFailed(std::string_view reason);
// "Version: " and the revision as four upper-case hexadecimal digits.
std::string VersionLabel(unsigned revision);

// Display name of a HID device: the product string, or "Device VID=%.4x PID=%.4x" when it is
// empty; " (Serial=%s)" follows when the serial-number string is not empty.
std::string DeviceDisplayName(std::string_view product, unsigned vendorId, unsigned productId,
                              std::string_view serial);

// The path as it fits `fits`: whole; then with its leading directories replaced by "..." one at
// a time (the drive or share stays); at last the file name alone.
std::string ShortenPath(std::string_view path, const std::function<bool(std::string_view)>& fits);

} // namespace app::text
