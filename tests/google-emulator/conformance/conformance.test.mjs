// Drives the Google emulator with Google's own Node.js clients, unchanged but for
// their root URLs: if these libraries work against it, the emulator speaks the
// wire formats Google's services speak. Run: node conformance.test.mjs, with
// ORVANE_GOOGLE_EMULATOR naming the emulator binary.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { createHash, randomBytes } from 'node:crypto';
import { once } from 'node:events';
import { createInterface } from 'node:readline';
import { Readable } from 'node:stream';
import { after, before, test } from 'node:test';

import { drive as driveApi } from '@googleapis/drive';
import { CodeChallengeMethod, OAuth2Client } from 'google-auth-library';

const clientId = 'conformance.apps.googleusercontent.com';
const clientSecret = 'conformance-secret';
const redirectUri = 'http://127.0.0.1:8642/oauth2redirect';
const driveFileScope = 'https://www.googleapis.com/auth/drive.file';
const folderType = 'application/vnd.google-apps.folder';
const spreadsheetType = 'application/vnd.google-apps.spreadsheet';

let emulator;
let root;
let oauth;
let drive;
let folderId;
// The drive client applies its global rootUrl to metadata URLs only; media uploads
// take the URL from the per-call rootUrl option.
let uploadOptions;

const sha256 = (bytes) => createHash('sha256').update(bytes).digest('hex');
const escapeQueryString = (text) => text.replaceAll('\\', '\\\\').replaceAll("'", "\\'");

async function control(method, path, body) {
  const response = await fetch(`${root}/emulator/${path}`, { method, body: body && JSON.stringify(body) });
  assert.equal(response.status, 200, `control ${path}`);
  return response.json();
}

async function lastRequests(count) {
  const { requests } = await control('GET', 'requests');
  return requests.slice(-count).map((request) => `${request.method} ${request.path} ${request.status}`);
}

function oauthClient(secret) {
  return new OAuth2Client({
    clientId,
    clientSecret: secret,
    redirectUri,
    endpoints: {
      oauth2AuthBaseUrl: `${root}/o/oauth2/v2/auth`,
      oauth2TokenUrl: `${root}/token`,
      oauth2RevokeUrl: `${root}/revoke`,
    },
    // Refresh and retry once when the emulator answers 401 to an expired token.
    forceRefreshOnFailure: true,
  });
}

// The authorisation step a browser would take: the emulator approves at once and
// redirects to the loopback URI, whose query carries the code.
async function authorize(client, codeChallenge, state) {
  const url = client.generateAuthUrl({
    access_type: 'offline',
    prompt: 'consent',
    scope: [driveFileScope],
    code_challenge_method: CodeChallengeMethod.S256,
    code_challenge: codeChallenge,
    state,
  });
  assert.ok(url.startsWith(`${root}/o/oauth2/v2/auth?`), url);
  const approval = await fetch(url, { redirect: 'manual' });
  assert.equal(approval.status, 302, await approval.text());
  const callback = new URL(approval.headers.get('location'));
  assert.equal(`${callback.origin}${callback.pathname}`, redirectUri);
  assert.equal(callback.searchParams.get('state'), state);
  return callback.searchParams.get('code');
}

before(async () => {
  const executable = process.env.ORVANE_GOOGLE_EMULATOR;
  assert.ok(executable, 'ORVANE_GOOGLE_EMULATOR names the emulator binary');
  emulator = spawn(executable, ['--client-id', clientId, '--client-secret', clientSecret, '--auto-approve'], {
    stdio: ['ignore', 'pipe', 'inherit'],
  });
  const lines = createInterface({ input: emulator.stdout });
  [root] = await once(lines, 'line');
  assert.match(root, /^http:\/\/127\.0\.0\.1:\d+$/);
  oauth = oauthClient(clientSecret);
  drive = driveApi({ version: 'v3', auth: oauth, rootUrl: `${root}/` });
  uploadOptions = { rootUrl: `${root}/` };
});

after(() => emulator?.kill());

test('exchanges an authorisation code with its PKCE verifier', async () => {
  const { codeVerifier, codeChallenge } = await oauth.generateCodeVerifierAsync();
  const code = await authorize(oauth, codeChallenge, randomBytes(24).toString('base64url'));
  const before = Date.now();
  const { tokens } = await oauth.getToken({ code, codeVerifier });
  assert.match(tokens.access_token, /^ya29\./);
  assert.match(tokens.refresh_token, /^1\/\//);
  assert.equal(tokens.scope, driveFileScope);
  assert.equal(tokens.token_type, 'Bearer');
  assert.ok(tokens.expiry_date >= before + 3600_000 && tokens.expiry_date <= Date.now() + 3600_000);
  oauth.setCredentials(tokens);

  await assert.rejects(oauth.getToken({ code, codeVerifier }), (error) => {
    assert.equal(error.response.status, 400);
    assert.deepEqual(error.response.data, { error: 'invalid_grant', error_description: 'Bad Request' });
    return true;
  }, 'a code is used once');
});

test('refuses a wrong verifier and a missing client secret as Google does', async () => {
  const { codeChallenge } = await oauth.generateCodeVerifierAsync();
  const { codeVerifier: otherVerifier } = await oauth.generateCodeVerifierAsync();
  const code = await authorize(oauth, codeChallenge, 'state');
  await assert.rejects(oauth.getToken({ code, codeVerifier: otherVerifier }), (error) => {
    assert.deepEqual(error.response.data, { error: 'invalid_grant', error_description: 'Invalid code verifier.' });
    return true;
  });

  const withoutSecret = oauthClient(undefined);
  const { codeVerifier, codeChallenge: challenge } = await withoutSecret.generateCodeVerifierAsync();
  const secondCode = await authorize(withoutSecret, challenge, 'state');
  await assert.rejects(withoutSecret.getToken({ code: secondCode, codeVerifier }), (error) => {
    assert.equal(error.response.status, 400);
    assert.deepEqual(error.response.data, { error: 'invalid_request', error_description: 'client_secret is missing.' });
    return true;
  });
});

test('creates a folder and finds it with a query', async () => {
  const name = "Bob's \\ folder";
  const created = await drive.files.create({
    requestBody: { name, mimeType: folderType, parents: ['root'] },
    fields: 'id,name',
  });
  assert.equal(created.status, 200);
  assert.equal(created.data.name, name);
  folderId = created.data.id;

  const listed = await drive.files.list({
    q: `mimeType='${folderType}' and name='${escapeQueryString(name)}' and 'root' in parents and trashed=false`,
    fields: 'files(id,name)',
    pageSize: 1,
  });
  assert.deepEqual(listed.data, { files: [{ id: folderId, name }] });

  await assert.rejects(drive.files.list({ q: "name contains 'Bob'" }), (error) => {
    assert.equal(error.status, 400);
    assert.equal(error.message, 'Invalid Value');
    return true;
  }, 'a query the emulator does not parse');
});

test('uploads a CSV file as multipart and converts it to a spreadsheet', async () => {
  const csv = 'item,price\n"Tea, green",3\n';
  const uploaded = await drive.files.create({
    requestBody: {
      name: 'prices.csv',
      mimeType: spreadsheetType,
      parents: [folderId],
      appProperties: { sourceApp: 'orvane', openMode: 'googleFormat' },
    },
    media: { mimeType: 'text/csv', body: csv },
    fields: 'id,name,webViewLink,mimeType',
  }, uploadOptions);
  assert.equal(uploaded.status, 200);
  const { id, name, mimeType, webViewLink } = uploaded.data;
  assert.equal(name, 'prices.csv');
  assert.equal(mimeType, spreadsheetType);
  assert.equal(webViewLink, `${root}/spreadsheets/d/${id}/edit?usp=drivesdk`);

  const { files } = await control('GET', 'files');
  const stored = files.find((file) => file.id === id);
  assert.equal(stored.sourceMimeType, 'text/csv');
  assert.deepEqual(stored.parents, [folderId]);
  assert.deepEqual(stored.appProperties, { openMode: 'googleFormat', sourceApp: 'orvane' });
  assert.equal(stored.sha256, sha256(csv));

  const page = await (await fetch(webViewLink)).text();
  assert.ok(page.includes('<tr><td>Tea, green</td><td>3</td></tr>'), page);
});

test('uploads a streamed body unconverted', async () => {
  const bytes = randomBytes(3 * 1024 * 1024 + 17);
  const uploaded = await drive.files.create({
    requestBody: { name: 'data.bin', parents: [folderId] },
    media: { mimeType: 'application/octet-stream', body: Readable.from([bytes.subarray(0, 1000), bytes.subarray(1000)]) },
    fields: 'id,mimeType,size,sha256Checksum,webViewLink',
  }, uploadOptions);
  assert.equal(uploaded.data.mimeType, 'application/octet-stream');
  assert.equal(uploaded.data.size, String(bytes.length));
  assert.equal(uploaded.data.sha256Checksum, sha256(bytes));
  assert.equal(uploaded.data.webViewLink, `${root}/file/d/${uploaded.data.id}/view?usp=drivesdk`);
});

test('refreshes an expired token after a 401 and goes on', async () => {
  await control('POST', 'tokens/expire');
  const listed = await drive.files.list({ fields: 'files(id)' });
  assert.equal(listed.status, 200);
  assert.equal(listed.data.files.length, 3);

  const { requests } = await control('GET', 'requests');
  const statuses = requests.slice(-3).map((request) => `${request.method} ${request.path} ${request.status}`);
  assert.deepEqual(statuses, ['GET /drive/v3/files 401', 'POST /token 200', 'GET /drive/v3/files 200']);
  const refresh = new URLSearchParams(Buffer.from(requests.at(-2).body, 'base64').toString());
  assert.equal(refresh.get('grant_type'), 'refresh_token');
});

test('follows partial and empty pages of a list to its end', async () => {
  await control('POST', 'list-pages', { sizes: [0, 1, 0] });
  const pages = [];
  let pageToken;
  do {
    const { data } = await drive.files.list({ fields: 'nextPageToken,files(id)', pageSize: 2, pageToken });
    pages.push(data.files.length);
    pageToken = data.nextPageToken;
  } while (pageToken);
  assert.deepEqual(pages, [0, 1, 0, 2], 'three files, in pages cut short before the end');

  await control('POST', 'list-pages', { sizes: [0] });
  const { data } = await drive.files.list({ fields: 'files(id)', pageSize: 2 });
  assert.deepEqual(data, { files: [] }, 'a token the fields did not ask for is left out');
});

test('answers faults in the shapes Google\'s clients read and retry', async () => {
  await control('POST', 'faults', { path: '/drive/v3/files', status: 503 });
  const listed = await drive.files.list({ fields: 'files(id)' });
  assert.equal(listed.status, 200);
  assert.deepEqual(await lastRequests(2), ['GET /drive/v3/files 503', 'GET /drive/v3/files 200']);

  // google-auth-library takes any 403 for an authorisation failure: it refreshes and retries once.
  await control('POST', 'faults', { path: '/drive/v3/files', status: 403, reason: 'userRateLimitExceeded', count: 2 });
  await assert.rejects(drive.files.list({ fields: 'files(id)' }), (error) => {
    assert.equal(error.status, 403);
    assert.deepEqual(error.response.data.error.errors,
      [{ domain: 'usageLimits', message: 'User Rate Limit Exceeded', reason: 'userRateLimitExceeded' }]);
    return true;
  });
  assert.deepEqual(await lastRequests(3), ['GET /drive/v3/files 403', 'POST /token 200', 'GET /drive/v3/files 403']);

  await control('POST', 'faults', { path: '/token', status: 503 });
  const { credentials } = await oauth.refreshAccessToken();
  assert.match(credentials.access_token, /^ya29\./);
  assert.deepEqual(await lastRequests(2), ['POST /token 503', 'POST /token 200']);
});

test('refuses a revoked grant with invalid_grant and its access token with authError', async () => {
  await oauth.revokeToken(oauth.credentials.access_token);
  await assert.rejects(drive.files.list({ fields: 'files(id)' }), (error) => {
    assert.equal(error.response.status, 400);
    assert.deepEqual(error.response.data, { error: 'invalid_grant', error_description: 'Token has been expired or revoked.' });
    return true;
  });
  assert.deepEqual(await lastRequests(3), ['POST /revoke 200', 'GET /drive/v3/files 401', 'POST /token 400']);
});

