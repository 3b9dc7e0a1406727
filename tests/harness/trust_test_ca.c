/* Makes this Wine prefix trust the tests' certificate authority, or stop
 * trusting it again, so that the program's own certificate check can be
 * tested against Dovecot. The host's certificates are never touched.
 *
 *   trust_test_ca add CA.der
 *   trust_test_ca remove CA.der
 */
#include <windows.h>
#include <wincrypt.h>

#include <stdio.h>
#include <string.h>

static const char kRootKey[] = "Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\";

static PCCERT_CONTEXT readCertificate(const char* path)
{
    static BYTE der[16384];
    DWORD length = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return NULL;
    BOOL read = ReadFile(file, der, sizeof der, &length, NULL);
    CloseHandle(file);
    return read ? CertCreateCertificateContext(X509_ASN_ENCODING, der, length) : NULL;
}

static BOOL addToRoots(PCCERT_CONTEXT certificate)
{
    HCERTSTORE roots = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "Root");
    if (!roots)
        return FALSE;
    BOOL added = CertAddCertificateContextToStore(roots, certificate, CERT_STORE_ADD_REPLACE_EXISTING, NULL);
    CertCloseStore(roots, 0);
    return added;
}

/* Wine answers CertDeleteCertificateFromStore with success and keeps the
 * entry, so the registry key that holds it is removed instead. */
static BOOL removeFromRoots(PCCERT_CONTEXT certificate)
{
    BYTE hash[20];
    DWORD length = sizeof hash;
    if (!CertGetCertificateContextProperty(certificate, CERT_SHA1_HASH_PROP_ID, hash, &length))
        return FALSE;
    char key[sizeof kRootKey + 2 * sizeof hash];
    strcpy(key, kRootKey);
    for (DWORD i = 0; i < length; ++i)
        sprintf(key + strlen(key), "%02X", hash[i]);
    LONG result = RegDeleteKeyA(HKEY_CURRENT_USER, key);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

int main(int argc, char** argv)
{
    if (argc != 3 || (strcmp(argv[1], "add") != 0 && strcmp(argv[1], "remove") != 0)) {
        fprintf(stderr, "usage: trust_test_ca add|remove CA.der\n");
        return 2;
    }
    PCCERT_CONTEXT certificate = readCertificate(argv[2]);
    if (!certificate) {
        fprintf(stderr, "trust_test_ca: cannot read the certificate %s\n", argv[2]);
        return 1;
    }
    BOOL done = strcmp(argv[1], "add") == 0 ? addToRoots(certificate) : removeFromRoots(certificate);
    CertFreeCertificateContext(certificate);
    if (!done) {
        fprintf(stderr, "trust_test_ca: %s failed (%lu)\n", argv[1], GetLastError());
        return 1;
    }
    printf("trust_test_ca: %s done\n", argv[1]);
    return 0;
}
