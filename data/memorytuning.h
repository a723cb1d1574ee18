#pragma once

// Lets the memory of a closed record set serve the next one. A catalogue of 150,000 materials
// holds tens of megabytes; the C library would otherwise hand each large block back to the
// system when it is freed and take fresh pages for the next open, and touching fresh pages costs
// more than reading the rows. Called once at start-up; does nothing where the C library offers
// no such setting.
void keepRecordSetMemory();
