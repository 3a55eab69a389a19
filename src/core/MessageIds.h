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
inline constexpr int ParGen_Caption = 400;
inline constexpr int ParGen_Desc = 401;
inline constexpr int ParGen_OK = 402;
inline constexpr int ParGen_Cancel = 403;
inline constexpr int ParGen_HintOK = 404;
inline constexpr int ParGen_HintCancel = 405;
inline constexpr int ParGen_IEC61850Server = 406;
inline constexpr int ParGen_Port = 407;
inline constexpr int ParGen_HintPort = 408;
inline constexpr int ParGen_Password = 409;
inline constexpr int ParGen_HintPassword = 410;
inline constexpr int ParGen_TLSServer = 411;
inline constexpr int ParGen_EnableTLS = 412;
inline constexpr int ParGen_HintEnableTLS = 413;
inline constexpr int ParGen_Key = 414;
inline constexpr int ParGen_HintKey = 415;
inline constexpr int ParGen_KeyPassword = 416;
inline constexpr int ParGen_HintKeyPassword = 417;
inline constexpr int ParGen_ServerCert = 418;
inline constexpr int ParGen_HintServerCert = 419;
inline constexpr int ParGen_RootCert = 420;
inline constexpr int ParGen_HintRootCert = 421;
inline constexpr int ParGen_KnownCert = 422;
inline constexpr int ParGen_HintKnownCert = 423;
inline constexpr int ParGen_ErrPort = 437;
inline constexpr int ParGen_ExitWithoutSaving = 441;
inline constexpr int ParGen_Ethernet = 442;
inline constexpr int ParGen_IPAddress = 443;
inline constexpr int ParGen_HintIP1 = 444; // + k - 1 for byte k (1 to 4)
inline constexpr int ParGen_SubNetMask = 448;
inline constexpr int ParGen_HintSM1 = 449; // + k - 1 for byte k
inline constexpr int ParGen_Gateway = 453;
inline constexpr int ParGen_HintGateway = 454;
inline constexpr int ParGen_HintGAT1 = 455; // + k - 1 for byte k
inline constexpr int ParGen_DNS = 459;
inline constexpr int ParGen_HintDNS = 460;
inline constexpr int ParGen_HintDNS1 = 461; // + k - 1 for byte k
inline constexpr int ParGen_TCPPort = 465;
inline constexpr int ParGen_HintTCPPort = 466;
inline constexpr int ParGen_UDPPort = 467;
inline constexpr int ParGen_HintUDPPort = 468;
inline constexpr int ParGen_ErrIP1 = 469;  // + k - 1 for byte k
inline constexpr int ParGen_ErrSM1 = 473;  // + k - 1 for byte k
inline constexpr int ParGen_ErrGAT1 = 477; // + k - 1 for byte k
inline constexpr int ParGen_ModbusSlave = 576;
inline constexpr int ParGen_Serial = 577;
inline constexpr int ParGen_HintSerial = 578;
inline constexpr int ParGen_Baudrate = 579;
inline constexpr int ParGen_HintBaudrate = 580;
inline constexpr int ParGen_Parity = 581;
inline constexpr int ParGen_HintParity = 582;
inline constexpr int ParGen_StopBits = 583;
inline constexpr int ParGen_HintStopBits = 584;
inline constexpr int ParGen_IDDevice = 585;
inline constexpr int ParGen_HintIDDevice = 586;
inline constexpr int ParGen_ReadInput = 587;
inline constexpr int ParGen_HintReadInput = 588;
inline constexpr int ParGen_ErrStopBits = 589;
inline constexpr int ParGen_ErrIDDevice = 590;

// Table row operations and overwrite prompts
inline constexpr int Row_AlreadyUsed = 1100;
inline constexpr int Row_CopyMismatch = 1101;
inline constexpr int Row_NothingCopied = 1102;

// Texts of this configurator's own, from 1200 upward
inline constexpr int ImageWritten = 1200; // followed by the image folder and the files written
inline constexpr int ImageBytes = 1201; // the unit after each file's size

} // namespace sw::MsgId
