// Validates .docx files against the OOXML schemas and rules with
// @ooxml-tools/validate, loading the validator once for all of them.
//
// usage: node ooxml_validate.mjs DOCUMENT.docx...
// A document may keep the errors of the document it was made from, kept
// beside it as DOCUMENT.docx.source; every other error is printed, one line
// each, and the exit status is 1 when there is any.
import validate, { ready } from "@ooxml-tools/validate";
import { access, readFile } from "fs/promises";

// An error as it reads whatever else the part holds: where it sits in the
// part (the xpath) moves when paragraphs are added.
const keyOf = (error) => `${error.id} ${error.path.partUri} ${error.description}`;

// The validator's findings; a package it cannot open at all is one finding.
async function errorsOf(file) {
    try {
        return await validate(new Uint8Array(await readFile(file)), "docx");
    } catch (thrown) {
        const description = String(thrown.message ?? thrown).split("\n")[0];
        return [{ id: "open", path: { partUri: "", xpath: "" }, description }];
    }
}

async function sourceErrors(file) {
    try {
        await access(file + ".source");
    } catch {
        return new Set();
    }
    return new Set((await errorsOf(file + ".source")).map(keyOf));
}

await ready();
let failed = false;
for (const file of process.argv.slice(2)) {
    const known = await sourceErrors(file);
    const fresh = (await errorsOf(file)).filter((error) => !known.has(keyOf(error)));
    for (const error of fresh)
        console.log(`FAIL: ${file}: ${error.path.partUri} ${error.path.xpath}: ${error.description}`);
    if (fresh.length === 0) console.log(`ok ${file}`);
    failed = failed || fresh.length > 0;
}
process.exit(failed ? 1 : 0);
