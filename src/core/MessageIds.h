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
inline constexpr int NewCaption = 100;
inline constexpr int NewDesc = 101;
inline constexpr int NewPrompt = 102;
inline constexpr int NewOK = 103;
inline constexpr int NewCancel = 104;
inline constexpr int NewNameNotValid = 105;
inline constexpr int NewNameExists = 106;
inline constexpr int NewNameEmpty = 107;
inline constexpr int NewHintName = 108;
inline constexpr int NewHintOK = 109;
inline constexpr int NewHintCancel = 110;

// Open configuration dialog
inline constexpr int OpenCaption = 200;
inline constexpr int OpenDesc = 201;
inline constexpr int OpenListTitle = 202;
inline constexpr int OpenOK = 203;
inline constexpr int OpenCancel = 204;
inline constexpr int OpenHintList = 205;
inline constexpr int OpenHintOK = 206;
inline constexpr int OpenHintCancel = 207;

// Communication parameters dialog (400-799)
inline constexpr int ParGenCaption = 400;
inline constexpr int ParGenDesc = 401;
inline constexpr int ParGenOK = 402;
inline constexpr int ParGenCancel = 403;
inline constexpr int ParGenHintOK = 404;
inline constexpr int ParGenHintCancel = 405;
inline constexpr int ParGenIEC61850Server = 406;
inline constexpr int ParGenPort = 407;
inline constexpr int ParGenHintPort = 408;
inline constexpr int ParGenPassword = 409;
inline constexpr int ParGenHintPassword = 410;
inline constexpr int ParGenTLSServer = 411;
inline constexpr int ParGenEnableTLS = 412;
inline constexpr int ParGenHintEnableTLS = 413;
inline constexpr int ParGenKey = 414;
inline constexpr int ParGenHintKey = 415;
inline constexpr int ParGenKeyPassword = 416;
inline constexpr int ParGenHintKeyPassword = 417;
inline constexpr int ParGenServerCert = 418;
inline constexpr int ParGenHintServerCert = 419;
inline constexpr int ParGenRootCert = 420;
inline constexpr int ParGenHintRootCert = 421;
inline constexpr int ParGenKnownCert = 422;
inline constexpr int ParGenHintKnownCert = 423;
inline constexpr int ParGenErrPort = 437;
inline constexpr int ParGenExitWithoutSaving = 441;
inline constexpr int ParGenEthernet = 442;
inline constexpr int ParGenIPAddress = 443;
inline constexpr int ParGenHintIP1 = 444; // + k - 1 for byte k (1 to 4)
inline constexpr int ParGenSubNetMask = 448;
inline constexpr int ParGenHintSM1 = 449; // + k - 1 for byte k
inline constexpr int ParGenGateway = 453;
inline constexpr int ParGenHintGateway = 454;
inline constexpr int ParGenHintGAT1 = 455; // + k - 1 for byte k
inline constexpr int ParGenDNS = 459;
inline constexpr int ParGenHintDNS = 460;
inline constexpr int ParGenHintDNS1 = 461; // + k - 1 for byte k
inline constexpr int ParGenTCPPort = 465;
inline constexpr int ParGenHintTCPPort = 466;
inline constexpr int ParGenUDPPort = 467;
inline constexpr int ParGenHintUDPPort = 468;
inline constexpr int ParGenErrIP1 = 469;  // + k - 1 for byte k
inline constexpr int ParGenErrSM1 = 473;  // + k - 1 for byte k
inline constexpr int ParGenErrGAT1 = 477; // + k - 1 for byte k
inline constexpr int ParGenModbusSlave = 576;
inline constexpr int ParGenSerial = 577;
inline constexpr int ParGenHintSerial = 578;
inline constexpr int ParGenBaudrate = 579;
inline constexpr int ParGenHintBaudrate = 580;
inline constexpr int ParGenParity = 581;
inline constexpr int ParGenHintParity = 582;
inline constexpr int ParGenStopBits = 583;
inline constexpr int ParGenHintStopBits = 584;
inline constexpr int ParGenIDDevice = 585;
inline constexpr int ParGenHintIDDevice = 586;
inline constexpr int ParGenReadInput = 587;
inline constexpr int ParGenHintReadInput = 588;
inline constexpr int ParGenErrStopBits = 589;
inline constexpr int ParGenErrIDDevice = 590;

// IEC 61850 variable list (900-945)
inline constexpr int VariablesErrRow = 929; // followed by the row number and the rule's message
inline constexpr int VariablesErrPosition = 930; // followed by the highest position
inline constexpr int VariablesErrStartBit = 938;
inline constexpr int VariablesErrConversion = 939;
inline constexpr int VariablesErrFactor = 940;
inline constexpr int VariablesErrLength = 941;

// Table row operations and overwrite prompts
inline constexpr int RowAlreadyUsed = 1100;
inline constexpr int RowCopyMismatch = 1101;
inline constexpr int RowNothingCopied = 1102;

// Texts of this configurator's own, from 1200 upward
inline constexpr int ImageWritten = 1200; // followed by the image folder and the files written
inline constexpr int ImageBytes = 1201; // the unit after each file's size

} // namespace sw::MsgId
