#pragma once
// Every text of the disc windows and of the disc component, spelled as the
// program has always shown it (misspellings included). UTF-8.
namespace qm::disc::text {

// frmMaindvdwrite: window, labels, menus.
inline const char* const kDiscCaption = "Backup Outlook Data to CD/DVD";
inline const char* const kDropCaption = "Drag and Drop Files or Folders";
inline const char* const kColumnFileName = "File Name";
inline const char* const kColumnSize = "Size";
inline const char* const kColumnDate = "Date";
inline const char* const kLabelDevice = "Device:";
inline const char* const kLabelWriteSpeed = "Write Speed:";
inline const char* const kLabelVolumeType = "Volume Type:";
inline const char* const kLabelVolumeId = "Volume ID:";
inline const char* const kAutoVerify = "Auto-Verify Data";
inline const char* const kTestWrite = "Test Write";
inline const char* const kFinalizeDisc = "Finalize Disc";
inline const char* const kDiscAtOnce = "Disc-At-Once";
inline const char* const kMode2XA = "Mode2XA (CD Only)";
inline const char* const kCacheImage = "Cache Image";
inline const char* const kBufferProtect = "Use Buffer Protection";
inline const char* const kUseFileDates = "Use File Dates";
inline const char* const kWriteDisc = "&Write Disc";
inline const char* const kCancel = "&Cancel";
inline const char* const kTipTestWrite = "Not valid for DVD formats.";
inline const char* const kTipFinalize = "Not valid for DVD+RW and DVD-RAM formats.";
inline const char* const kTipDiscAtOnce = "Eliminates buffer underrun problems.";
inline const char* const kTipMode2XA = "Please see help file for details on Mode2XA";
inline const char* const kTipCacheImage = "Not needed for DVD formats...Use for CDR/W only.";
inline const char* const kTipBufferProtect = "Eliminates buffer underrun problems.";
inline const char* const kTipAutoVerify = "Reads the written files back and compares them with their sources.";
inline const char* const kTipUseFileDates =
    "Gives the files on the disc the dates of their sources (always so with the UDF volume types).";
inline const char* const kMenuFile = "&File";
inline const char* const kMenuClear = "Clear All Items";
inline const char* const kMenuRemoveFolder = "Remove Folder";
inline const char* const kMenuRenameFolder = "Rename Folder";
inline const char* const kMenuRemoveFile = "Remove File";
inline const char* const kMenuRenameFile = "Rename File";
inline const char* const kMenuExit = "Exit";
inline const char* const kMenuDevice = "&Device";
inline const char* const kMenuEject = "Eject";
inline const char* const kMenuCloseTray = "Close Tray";
inline const char* const kMenuEraseDisc = "Erase Disc...";

// The image view.
inline const char* const kRootKey = "\\";
inline const char* const kNewDisc = "New Disc";
inline const char* const kDefaultLabel = "Outlook Data Backup CD";
inline const char* const kIconClosedFolder = "CLOSEDFOLDER";
inline const char* const kIconCd = "CD";
inline const char* const kIconOpenFolder = "OPENFOLDER";
inline const char* const kIconFile = "FILE";
inline const char* const kImageSizePanel = "Data Image Size: ";
inline const char* const kFilesPanel = "Files: ";
inline const char* const kFoldersPanel = "Folders: ";
inline const char* const kAdding = "Adding....";
inline const char* const kMegabytes = " MB";
inline const char* const kKilobytes = " KB";
inline const char* const kNoItemSelected = "No Item Selected.";
inline const char* const kNotRemoved = "Item could not be removed.";
inline const char* const kFolderNotRenamed = "Folder could not be renamed.";
inline const char* const kFileNotRenamed = "File could not be renamed.";
inline const char* const kRootNotRenamed = "Root directory can not be renamed.";
inline const char* const kReplaceTitle = "Replace file...";
inline const char* const kReplaceExists = "A file already exists in the image: ";
inline const char* const kReplaceWith = "Would you like to replace it with: ";
inline const char* const kReplaceEnd = " ?";

// Writing.
inline const char* const kInitFailed = "Devices Cannot be initialized...Contact support!";
inline const char* const kNoDevices = "There are no compatible devices reported.";
inline const char* const kOlderDevices = "Some older devices are not currently supported.";
inline const char* const kMaxSpeed = "MAX";
inline const char* const kFreeSpaceIs = "Free Space on the loaded disc is ";
inline const char* const kFreeSpaceEnd = " MB!";
inline const char* const kImageRequires = "This data image requires ";
inline const char* const kImageRequiresEnd = " MB of Free Space!";
inline const char* const kInsertMedia = "Please Insert Writable Media before continuing!";
inline const char* const kWriteNotStarted = "Disc Write could not be started.";
inline const char* const kPreparing = "Preparing Image....";
inline const char* const kClosingTrack = "Closing Track....";
inline const char* const kLeadIn = "Writing Lead-in....";
inline const char* const kLeadOut = "Writing Lead-out....";
inline const char* const kUpdatingVolume = "Updating Volume....";
inline const char* const kWriteCompletedStatus = "Write Completed!";
inline const char* const kWriteVerifyComplete = "Write and Verify Complete!";
inline const char* const kWriteComplete = "Write Complete!";
// A simulated write leaves the disc as it was; it is not reported as written.
inline const char* const kTestWriteComplete = "Test Write Complete! Nothing was written to the disc.";
// A write whose verification failed or did not run is not reported as verified.
inline const char* const kVerifyFailed = "Write Complete, but the Verify found errors!";
// A verification cancelled after a complete write: the disc is written.
inline const char* const kVerifyCancelledStatus = "Write Completed! Verify Cancelled.";
inline const char* const kVerifyCancelled = "Write Complete! The Verify was cancelled, so not every file was checked.";
// Before a write replaces what a disc holds, or cannot follow it.
inline const char* const kOverwriteWarning = "The disc in the drive holds data. Writing replaces everything on it.";
inline const char* const kAppendInstead = "(ISO9660 and ISO9660/Joliet Bridge would add a session after it instead.)";
inline const char* const kUdfCannotAppend =
    "The disc in the drive holds data, and the UDF volume types cannot add a session after it. "
    "Choose ISO9660 or ISO9660/Joliet Bridge, or insert a blank disc.";
inline const char* const kCannotAppend =
    "The disc in the drive holds data that a new session cannot follow. Insert a blank disc, or erase this one first.";
// Before a write whose names Windows will not see as they are.
inline const char* const kNamesChange =
    "Windows and other systems that read the disc's Joliet or UDF names will see these names shortened or with "
    "characters replaced:";
inline const char* const kMoreNamesStart = "... and ";
inline const char* const kMoreNamesEnd = " more";
inline const char* const kWriteAnyway = "Write anyway?";
inline const char* const kWriteCancelledStatus = "Write Cancelled....";
inline const char* const kWriteCancelled = "Write Cancelled!";
inline const char* const kWriteError = "Write Error!";
inline const char* const kTrack = "Track: ";
inline const char* const kReading = " - Reading...";
inline const char* const kDash = " - ";
inline const char* const kFileWarning = "File Warning(";
inline const char* const kFileWarningStatus = "File Warning!";
inline const char* const kDeviceError = "Device Error: (";
inline const char* const kOutputFileError = "Output File Error: (";
inline const char* const kSourceFileError = "Source File Error: (";
inline const char* const kSystemError = "System Error: (";
inline const char* const kWriteErrorPrefix = "Write Error: (";
inline const char* const kCodeEnd = ")   ";
inline const char* const kAutoVerifyStatus = "Auto-Verify... ";
inline const char* const kNewFiles = " new files.";
inline const char* const kVerifyComplete = "Auto-Verify...Complete (";
inline const char* const kOf = " of ";
inline const char* const kMatched = " MATCHED)";
inline const char* const kVerifySourceUnreadable = "Verify Error - Could not read Source file from disc: ";
inline const char* const kVerifyDiscUnreadable = "Verify Error - Could not read Destination file from disc: ";
inline const char* const kVerifyContentDiffers = "Verify Error - Source and Destination file did not match: ";
inline const char* const kVerifySizeDiffers = "Verify Error - Size of Source and Destination file did not match: ";
inline const char* const kDiscSuffix = " (disc)";
inline const char* const kSourceSuffix = " (source)";
inline const char* const kAborting = "Aborting Write...Please Wait!";

// File systems, in list order.
inline const char* const kIso9660 = "ISO9660";
inline const char* const kUdf = "UDF";
inline const char* const kIsoJoliet = "ISO9660/Joliet Bridge";
inline const char* const kIsoUdfDvdVideo = "ISO9660/UDF (DVDVideo) Bridge";
inline const char* const kIsoJolietUdf = "ISO9660/Joliet/UDF Bridge";

// frmErase.
inline const char* const kEraseCaption = "Erase Re-Writable CD/DVD";
inline const char* const kEraseNote =
    "NOTE: If not performing a quick erase, it could take several minutes to completely erase the disc. "
    "This operation cannot be cancelled. A quick erase will erase the table of contents, but not the actual data.";
inline const char* const kQuickErase = "Perform Quick Erase";
inline const char* const kEraseButton = "&Erase";
inline const char* const kNoMedia = "No Media Loaded.";
inline const char* const kNotRewritable = "The current media is not re-writable.";
inline const char* const kFormatUnsupported = "Selected drive does not support re-writable discs of this format.";
inline const char* const kEraseNotStarted = "Could not start Erase operation!!!";
inline const char* const kErasing = "Erasing Disc...Please Wait!!";
inline const char* const kEraseCompleteStatus = "Erase operation complete!!!";
inline const char* const kEraseCompleted = "Erase Completed!!!";
inline const char* const kEraseError = "Error Erasing Disc!!!";

// The component's own reports (Linux engine).
inline const char* const kSourceUnreadable = "The source file cannot be read; it is left out of the disc.";
inline const char* const kSourceChanged = "The source file has changed since it was added; its current content is written.";
inline const char* const kTooLargeForUdf =
    "The file is 4 GB or larger, which the UDF volume types cannot hold. Choose ISO9660 or ISO9660/Joliet Bridge.";
inline const char* const kImageNotMade = "The disc image could not be made.";
inline const char* const kNoGenisoimage =
    "The UDF volume types are made by the program genisoimage, which is not installed.";
inline const char* const kSessionUnreadable =
    "The session on the disc could not be read, so no session can be added after it.";
inline const char* const kDescriptorsNotWritten =
    "The session was written, but the start of the disc, which leads readers to it, could not be updated.";
inline const char* const kDriveRefused = "The drive refused the write.";
inline const char* const kWriteFailedOnDrive = "The write failed on the drive.";
inline const char* const kAbortedBySignal = "The program was asked to end; the write was stopped.";
inline const char* const kReadingBack = "Reading the written disc back";
inline const char* const kEraseRefused = "The drive refused to erase the disc.";
inline const char* const kEraseFailedOnDrive = "The erase failed on the drive.";

}  // namespace qm::disc::text
