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
inline constexpr int ParGenErrIP1 = 469; // + k - 1 for byte k
inline constexpr int ParGenErrSM1 = 473; // + k - 1 for byte k
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

// TLS known certificate list (800-821)
inline constexpr int KnownCertCaption = 800;
inline constexpr int KnownCertDesc = 801;
inline constexpr int KnownCertOK = 802;
inline constexpr int KnownCertCancel = 803;
inline constexpr int KnownCertDelRow = 804;
inline constexpr int KnownCertInsRow = 805;
inline constexpr int KnownCertCopyRow = 806;
inline constexpr int KnownCertPasteRow = 807;
inline constexpr int KnownCertHintOK = 808;
inline constexpr int KnownCertHintCancel = 809;
inline constexpr int KnownCertHintDelRow = 810;
inline constexpr int KnownCertHintInsRow = 811;
inline constexpr int KnownCertHintCopyRow = 812;
inline constexpr int KnownCertHintPasteRow = 813;
inline constexpr int KnownCertRowNumber = 814; // header of the row numbers
inline constexpr int KnownCertEnable = 815;
inline constexpr int KnownCertCertificate = 816;
inline constexpr int KnownCertMnemonic = 817;
inline constexpr int KnownCertHintEnable = 818;
inline constexpr int KnownCertHintCertificate = 819;
inline constexpr int KnownCertHintMnemonic = 820;
inline constexpr int KnownCertDeleteRowQuestion = 821; // followed by the row number

// IEC 61850 variable list (900-945)
inline constexpr int VariablesCaption = 900;
inline constexpr int VariablesDesc = 901;
inline constexpr int VariablesOK = 902;
inline constexpr int VariablesCancel = 903;
inline constexpr int VariablesDelRow = 904;
inline constexpr int VariablesInsRow = 905;
inline constexpr int VariablesCopyRow = 906;
inline constexpr int VariablesPasteRow = 907;
inline constexpr int VariablesHintOK = 908;
inline constexpr int VariablesHintCancel = 909;
inline constexpr int VariablesHintDelRow = 910;
inline constexpr int VariablesHintInsRow = 911;
inline constexpr int VariablesHintCopyRow = 912;
inline constexpr int VariablesHintPasteRow = 913;
inline constexpr int VariablesRowNumber = 914; // header of the row numbers
inline constexpr int VariablesEnable = 915;
inline constexpr int VariablesName = 916;
inline constexpr int VariablesType = 917;
inline constexpr int VariablesLength = 918;
inline constexpr int VariablesReadOnly = 919;
inline constexpr int VariablesPosition = 920;
inline constexpr int VariablesMnemonic = 921;
inline constexpr int VariablesHintEnable = 922;
inline constexpr int VariablesHintName = 923;
inline constexpr int VariablesHintType = 924;
inline constexpr int VariablesHintLength = 925;
inline constexpr int VariablesHintReadOnly = 926;
inline constexpr int VariablesHintPosition = 927;
inline constexpr int VariablesHintMnemonic = 928;
inline constexpr int VariablesDeleteRowQuestion = 931; // followed by the row number
inline constexpr int VariablesStartBit = 932;
inline constexpr int VariablesConversion = 933;
inline constexpr int VariablesFactor = 934;
inline constexpr int VariablesHintStartBit = 935;
inline constexpr int VariablesHintConversion = 936;
inline constexpr int VariablesHintFactor = 937;
inline constexpr int VariablesSwap = 942;
inline constexpr int VariablesSwapWord = 943;
inline constexpr int VariablesHintSwap = 944;
inline constexpr int VariablesHintSwapWord = 945;
inline constexpr int VariablesErrRow = 929; // followed by the row number and the rule's message
inline constexpr int VariablesErrPosition = 930; // followed by the highest position
inline constexpr int VariablesErrStartBit = 938;
inline constexpr int VariablesErrConversion = 939;
inline constexpr int VariablesErrFactor = 940;
inline constexpr int VariablesErrLength = 941;

// Device update dialog
inline constexpr int BootCaption = 1002;
inline constexpr int BootDesc = 1003;
inline constexpr int BootIPAddress = 1006;
inline constexpr int BootUpdateOption = 1014;
inline constexpr int BootFirmwareAndConfiguration = 1015; // the three update choices in list order
inline constexpr int BootReadBack = 1018;
inline constexpr int BootCancel = 1019;
inline constexpr int BootUpdate = 1020;
inline constexpr int BootHintIP1 = 1021; // BootHintIP1 + k for the box k + 1 (0 to 3)
inline constexpr int BootHintUpdateOptions = 1032;
inline constexpr int BootHintReadBack = 1033;
inline constexpr int BootHintCancel = 1034;
inline constexpr int BootHintUpdate = 1035;
inline constexpr int BootDeviceNotFound = 1036;
inline constexpr int BootCheckAddress = 1037;

// Software options dialog
inline constexpr int OptionsCaption = 300;
inline constexpr int OptionsDesc = 301;
inline constexpr int OptionsLanguageTab = 302;
inline constexpr int OptionsConnectionTab = 303;
inline constexpr int OptionsSelectedLanguage = 304; // followed by the language name
inline constexpr int OptionsPage = 305; // followed by the page number, entry 306 and the page count
inline constexpr int OptionsPageOf = 306;
inline constexpr int OptionsPrevious = 307;
inline constexpr int OptionsNext = 308;
inline constexpr int OptionsEnableInternet = 309;
inline constexpr int OptionsCheckAtStart = 310;
inline constexpr int OptionsCheckNow = 311;
inline constexpr int OptionsOK = 312;
inline constexpr int OptionsCancel = 313;
inline constexpr int OptionsNewVersion = 314; // the text of the download link
inline constexpr int OptionsNoUpdate = 315;
inline constexpr int OptionsChangeLanguage = 316; // + current name + 317 + chosen name + 318
inline constexpr int OptionsChangeLanguageTo = 317;
inline constexpr int OptionsChangeLanguageEnd = 318;
inline constexpr int OptionsSoftwareTab = 319;
inline constexpr int OptionsJumpField = 320;
inline constexpr int OptionsDoubleClickAutoSize = 321;

// Table row operations and overwrite prompts
inline constexpr int RowAlreadyUsed = 1100;
inline constexpr int RowCopyMismatch = 1101;
inline constexpr int RowNothingCopied = 1102;

// Texts of this configurator's own, from 1200 upward
inline constexpr int ImageWritten = 1200; // followed by the image folder and the files written
inline constexpr int ImageBytes = 1201; // the unit after each file's size
inline constexpr int BootChecking = 1202; // status line while the device's answers are awaited
inline constexpr int BootUpdaterRunning = 1203; // status line while the updater runs
inline constexpr int VariablesExportCsv = 1204; // context menu entry and file chooser caption
inline constexpr int VariablesImportCsv = 1205; // context menu entry and file chooser caption
inline constexpr int CsvFileFilter = 1206; // file chooser filter; keep (*.csv)
inline constexpr int CsvCannotWrite = 1207; // %1 is the system's reason
inline constexpr int CsvCannotImport = 1208; // %1 is entry 1209 with its reason
inline constexpr int CsvLine = 1209; // %1 line number, %2 reason
inline constexpr int CsvUnreadable = 1210;
inline constexpr int CsvUnknownColumn = 1211;
inline constexpr int CsvDuplicateColumn = 1212;
inline constexpr int CsvCellCount = 1213;
inline constexpr int CsvTooManyRows = 1214;
inline constexpr int CertUnreadable = 1215; // %1 is one of 1221 to 1226
inline constexpr int CertNotYetValid = 1216; // %1 is a date and time
inline constexpr int CertExpired = 1217;
inline constexpr int CertExpiresSoon = 1218;
inline constexpr int KeyMismatch = 1219;
inline constexpr int CertNotSignedByRoot = 1220;
inline constexpr int CertNoPem = 1221;
inline constexpr int CertDamaged = 1222; // %1 is the library's reason
inline constexpr int KeyNoPem = 1223;
inline constexpr int KeyNeedsPassword = 1224;
inline constexpr int KeyWrongPassword = 1225;
inline constexpr int KeyDamaged = 1226;
inline constexpr int CertSubject = 1227; // tooltip lines of a certificate
inline constexpr int CertIssuer = 1228;
inline constexpr int CertValidFrom = 1229;
inline constexpr int CertValidUntil = 1230;
inline constexpr int KeyReadable = 1231; // tooltip of a sound key
inline constexpr int BootCertificateErrors = 1232; // followed by one line per finding
inline constexpr int BootUpdateAnyway = 1233;
inline constexpr int CheckByte = 1234;
inline constexpr int CheckBytes = 1235;
inline constexpr int CheckNotObjectName = 1236;
inline constexpr int CheckDuplicateName = 1237;
inline constexpr int CheckPastEnd = 1238; // %1 is 1234 or 1235
inline constexpr int CheckOverlap = 1239; // %1 and %3 are 1234 or 1235
inline constexpr int CsvNoHeader = 1240;
inline constexpr int CsvNotUtf8 = 1241;
inline constexpr int CheckTooManyVariables = 1242; // %1 is the number of the variable, %2 the most the image takes
inline constexpr int CheckAfterBlankName = 1243; // %1 is the row with the blank Name
inline constexpr int CheckBadPosition = 1244; // %1 is the text, %2 the highest position
inline constexpr int CheckBadLength = 1245; // %1 is the text
inline constexpr int KeyTooCostly = 1246;

// Update dialog: why the echo or the updater failed, and the progress of the waits
inline constexpr int BootEchoNotAnAddress = 1260; // %1 is the address as typed
inline constexpr int BootEchoNotPermitted = 1261;
inline constexpr int BootEchoNoRoute = 1262;
inline constexpr int BootEchoSocketRefused = 1263; // %1 is the system's reason
inline constexpr int BootEchoSendRefused = 1264; // %1 is the system's reason

} // namespace sw::MsgId
