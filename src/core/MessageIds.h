#pragma once

// Named indexes of the message catalogue entries that the code reads.
namespace sw::MsgId {

// Main window
inline constexpr int Begin = 0;
inline constexpr int Step1 = 1; // Step1 + k - 1 for step k (1 to 5)
inline constexpr int NoConfigurationOpened = 9;
inline constexpr int UseStep1 = 10;
inline constexpr int OpenedConfiguration = 11;
inline constexpr int HintInfo = 12;
inline constexpr int HintOptions = 13;
inline constexpr int HintClose = 14;
inline constexpr int NewConfiguration = 15;
inline constexpr int OpenConfiguration = 16;
inline constexpr int UpdateDevice = 17;
inline constexpr int ProjectNotValid = 18;
inline constexpr int NewVersionAvailable = 19;
inline constexpr int SetCommunication = 20;
inline constexpr int IEC61850Access = 21;
inline constexpr int HintNew = 22;
inline constexpr int HintOpen = 23;
inline constexpr int HintParGen = 24;
inline constexpr int HintIEC61850 = 25;
inline constexpr int HintUpdate = 26;
inline constexpr int TLSKnownCertificates = 27;
inline constexpr int HintTLS = 28;

// New configuration dialog
inline constexpr int New_Caption = 100;
inline constexpr int New_Desc = 101;
inline constexpr int New_Prompt = 102;
inline constexpr int New_OK = 103;
inline constexpr int New_Cancel = 104;
inline constexpr int New_NameNotValid = 105;
inline constexpr int New_NameExists = 106;
inline constexpr int New_NameEmpty = 107;
inline constexpr int New_HintName = 108;
inline constexpr int New_HintOK = 109;
inline constexpr int New_HintCancel = 110;

// Open configuration dialog
inline constexpr int Open_Caption = 200;
inline constexpr int Open_Desc = 201;
inline constexpr int Open_ListTitle = 202;
inline constexpr int Open_OK = 203;
inline constexpr int Open_Cancel = 204;
inline constexpr int Open_HintList = 205;
inline constexpr int Open_HintOK = 206;
inline constexpr int Open_HintCancel = 207;

// Communication parameters dialog (400-799)

// Table row operations and overwrite prompts
inline constexpr int Row_AlreadyUsed = 1100;
inline constexpr int Row_CopyMismatch = 1101;
inline constexpr int Row_NothingCopied = 1102;

} // namespace sw::MsgId
